#pragma once

// The state of a list box behind its public face: the rows, the columns, the selection and the
// folders being opened. The view (ListBoxView) draws it and brings the user's input here.

#include <cstdint>
#include <string>
#include <vector>

#include "ListBox.h"
#include "ListBoxRowStore.h"

namespace fw {

class ListBoxView;

// A folder whose ExpandRow event is running: the rows added now go to next, at depth.
struct ListBoxExpansion {
    int32_t folder = 0;
    int32_t next = 0;
    int32_t depth = 0;
    bool live = true;  // false once the folder row itself has gone
};

// Where a click landed in a cell.
enum class ListBoxCellPart { Text, Disclosure, CheckBox };

struct ListBox::Impl {
    Impl(ListBox& owner, ListBoxView* view) : owner(owner), view(view) {}

    ListBox& owner;
    ListBoxView* view;

    ListBoxRowStore rows;
    int32_t columnCount = 1;
    std::string columnWidths;
    std::vector<std::string> headings;
    std::vector<int32_t> headerTypes;
    bool hierarchical = false;
    int32_t selected = -1;
    int32_t lastIndex = -1;
    std::vector<ListBoxExpansion> expansions;  // innermost last
    // The rows of clicks that wait for the list's running handler to return: they follow their
    // row as rows come and go, and become kGoneRow when it is removed.
    std::vector<int32_t*> waitingClicks;
    static constexpr int32_t kGoneRow = -2;

    bool ValidCell(int32_t row, int32_t column) const {
        return rows.Contains(row) && column >= 0 && column < columnCount;
    }
    int32_t CellTypeOf(int32_t row, int32_t column) const;
    bool CheckOf(int32_t row, int32_t column) const;

    void Add(const std::string& firstCell, bool folder);
    // The row after the last of row's descendants (the rows below it at a greater depth).
    int32_t SubtreeEnd(int32_t row) const;
    // Removes rows [first, first + count); raises Change when the selected row was among them.
    void Remove(int32_t first, int32_t count);
    void Clear();
    // Selects row (-1: none); raises Change when the selection changes.
    void Select(int32_t row);
    void SetExpanded(int32_t row, bool expanded);
    void SetCheck(int32_t row, int32_t column, bool checked);

    // The user's input, as the view found it. Run through the list's event source.
    void UserClick(int32_t row, int32_t column, int32_t x, int32_t y, ListBoxCellPart part);
    void UserDoubleClick(int32_t row, int32_t column, int32_t x, int32_t y, ListBoxCellPart part);
    enum class Key { Up, Down, Left, Right, Space };
    void UserKey(Key key);

private:
    // Keeps the indexes that point into the rows in step with an insertion or a removal.
    void RowsInserted(int32_t at, int32_t count);
    bool RowsRemoved(int32_t first, int32_t count);  // answers whether the selection went
    void Changed();                                  // the view shows it soon
};

}  // namespace fw
