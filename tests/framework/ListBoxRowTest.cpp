// A list row keeps all its cells in one block: writing cells in any order, longer or shorter than
// before, and marking them, leaves every other cell as it was.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ListBoxRowStore.h"

namespace {

using fw::ListBoxRow;

std::vector<std::string> Cells(const ListBoxRow& row, size_t count) {
    std::vector<std::string> cells;
    for (size_t c = 0; c < count; ++c) cells.emplace_back(row.Cell(c));
    return cells;
}

TEST(ListBoxRowTest, CellsWrittenInAnyOrderKeepEachOther) {
    ListBoxRow row;
    EXPECT_EQ(row.CellCount(), 0u);
    EXPECT_EQ(row.Cell(3), "");
    row.SetCell(0, "");
    row.SetCell(1, "12 bytes");
    row.SetCell(4, "f");
    row.SetCell(0, "index.html");
    row.SetMark(0, ListBoxRow::kCheckedBit | 2);
    row.SetCell(2, "2026/12/10 14:22");
    row.SetCell(3, "/home/me/site/index.html");
    row.SetCell(6, "17");
    EXPECT_EQ(row.CellCount(), 7u);
    EXPECT_EQ(Cells(row, 8),
              (std::vector<std::string>{"index.html", "12 bytes", "2026/12/10 14:22",
                                        "/home/me/site/index.html", "f", "", "17", ""}));
    EXPECT_EQ(row.Mark(0), ListBoxRow::kCheckedBit | 2);
    EXPECT_EQ(row.Mark(1), 0);
    EXPECT_EQ(row.Mark(9), 0);

    row.SetCell(1, "");                     // shorter
    row.SetCell(3, std::string(300, 'p'));  // longer
    row.SetMark(5, 2);
    EXPECT_EQ(Cells(row, 7), (std::vector<std::string>{"index.html", "", "2026/12/10 14:22",
                                                       std::string(300, 'p'), "f", "", "17"}));
    EXPECT_EQ(row.Mark(0), ListBoxRow::kCheckedBit | 2);
    EXPECT_EQ(row.Mark(5), 2);
}

// Any byte may stand in a cell, a NUL included.
TEST(ListBoxRowTest, ACellKeepsEveryByte) {
    ListBoxRow row;
    const std::string bytes("a\0b\xff\r\n", 6);
    row.SetCell(1, bytes);
    row.SetCell(0, "x");
    EXPECT_EQ(row.Cell(1), bytes);
    EXPECT_EQ(row.Cell(0), "x");
}

}  // namespace
