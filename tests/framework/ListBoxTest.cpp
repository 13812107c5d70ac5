#include <gtest/gtest.h>

#include <QHeaderView>
#include <QScrollBar>
#include <functional>
#include <string>
#include <vector>

#include "framework/Thread.h"
#include "tests/framework/ListBoxFixture.h"

namespace {

using Log = std::vector<std::string>;

class ListBoxTest : public ListBoxFixture {};

// --- Rows and cells

// Built by appending: "r" + to_string(...) trips a false -Wrestrict of the optimiser.
std::string CellText(int row, int column) {
    std::string text = "r";
    text += std::to_string(row);
    text += 'c';
    text += std::to_string(column);
    return text;
}

TEST_F(ListBoxTest, RowsKeepTheirTextInEveryColumnAndReadBackAtOnce) {
    for (int i = 0; i < 3; ++i) {
        List().AddRow("");
        EXPECT_EQ(List().LastIndex(), i);
        for (int column = 0; column < 7; ++column) List().SetCell(i, column, CellText(i, column));
    }
    // Exact before the view has caught up.
    EXPECT_EQ(List().ListCount(), 3);
    for (int i = 0; i < 3; ++i)
        for (int column = 0; column < 7; ++column)
            EXPECT_EQ(List().Cell(i, column), CellText(i, column));
    EXPECT_EQ(List().Cell(1, 6), "r1c6");  // a column of zero width

    List().RemoveRow(1);
    EXPECT_EQ(List().ListCount(), 2);
    EXPECT_EQ(List().Cell(1, 0), "r2c0");
    CatchUp();
    EXPECT_EQ(View()->model()->rowCount(), 2);

    List().DeleteAllRows();
    EXPECT_EQ(List().ListCount(), 0);
    EXPECT_EQ(List().LastIndex(), -1);
    CatchUp();
    EXPECT_EQ(View()->model()->rowCount(), 0);
}

TEST_F(ListBoxTest, OutOfRangeRowsAndColumnsReadEmptyAndAreNotWritten) {
    AddCheckRow("only", true);
    struct Case {
        int row, column;
    };
    for (Case c : {Case{-1, 0}, Case{1, 0}, Case{0, -1}, Case{0, 7}, Case{5, 9}}) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
        List().SetCell(c.row, c.column, "x");
        List().SetCellType(c.row, c.column, fw::ListBox::TypeCheckBox);
        List().SetCellCheck(c.row, c.column, true);
        EXPECT_EQ(List().Cell(c.row, c.column), "");
        EXPECT_EQ(List().CellType(c.row, c.column), 0);
        EXPECT_FALSE(List().CellCheck(c.row, c.column));
    }
    for (int row : {-1, 1, 7}) {
        SCOPED_TRACE(row);
        EXPECT_FALSE(List().Expanded(row));
        EXPECT_FALSE(List().RowIsFolder(row));
        EXPECT_EQ(List().RowDepth(row), 0);
        List().SetExpanded(row, true);
        List().RemoveRow(row);
    }
    EXPECT_EQ(List().ListCount(), 1);
    EXPECT_EQ(List().Cell(0, 0), "only");
    EXPECT_TRUE(List().CellCheck(0, 0));
    EXPECT_EQ(List().CellType(0, 0), fw::ListBox::TypeCheckBox);
    EXPECT_TRUE(log.empty());
}

TEST_F(ListBoxTest, ZeroWidthColumnsAreHiddenButKeepTheirCells) {
    List().AddRow("name");
    List().SetCell(0, 5, "12");
    List().SetCell(0, 6, "345");
    CatchUp();
    QHeaderView* heading = View()->horizontalHeader();
    for (int column = 3; column < 7; ++column) {
        EXPECT_EQ(List().ColumnWidthActual(column), 0) << column;
        EXPECT_TRUE(heading->isSectionHidden(column)) << column;
    }
    EXPECT_EQ(List().Cell(0, 5), "12");
    EXPECT_EQ(List().Cell(0, 6), "345");
    // Given a width, a hidden column shows again.
    List().SetColumnWidths("40%,20%,*,30,0,0,0");
    EXPECT_EQ(List().ColumnWidthActual(3), 30);
    EXPECT_FALSE(heading->isSectionHidden(3));
}

// --- Folders

TEST_F(ListBoxTest, OpeningAFolderFromCodeRaisesExpandRowBeforeItReturns) {
    List().AddRow("above");
    List().AddFolder("folder");
    List().AddRow("below");
    ASSERT_TRUE(List().RowIsFolder(1));
    bool openInsideHandler = false;
    onExpand = [&](fw::ListBox& l, int32_t row) {
        openInsideHandler = l.Expanded(row);
        for (int k = 1; k <= 3; ++k) {
            l.AddRow("");
            EXPECT_EQ(l.LastIndex(), row + k);
            l.SetCell(row + k, 0, "child " + std::to_string(k));
        }
    };
    List().SetExpanded(1, true);
    EXPECT_EQ(log, (Log{"ExpandRow 1"}));
    EXPECT_TRUE(openInsideHandler);
    EXPECT_TRUE(List().Expanded(1));
    EXPECT_EQ(List().LastIndex(), 4);
    const std::vector<std::string> names = {"above",   "folder",  "child 1",
                                            "child 2", "child 3", "below"};
    const std::vector<int> depths = {0, 0, 1, 1, 1, 0};
    ASSERT_EQ(List().ListCount(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(List().Cell(i, 0), names[i]);
        EXPECT_EQ(List().RowDepth(i), depths[i]);
    }
    // Rows added after the event are top-level rows at the end again.
    List().AddRow("last");
    EXPECT_EQ(List().LastIndex(), 6);
    EXPECT_EQ(List().RowDepth(6), 0);

    // Setting the state it has does nothing.
    log.clear();
    List().SetExpanded(1, true);
    List().SetExpanded(0, true);  // not a folder
    EXPECT_TRUE(log.empty());

    int countInsideCollapse = -1;
    List().CollapseRow = [&](fw::ListBox& l, int32_t row) {
        log.push_back("CollapseRow " + std::to_string(row));
        countInsideCollapse = l.ListCount();
    };
    List().SetExpanded(1, false);
    EXPECT_EQ(log, (Log{"CollapseRow 1"}));
    EXPECT_EQ(countInsideCollapse, 4);  // the rows are gone before the event
    EXPECT_FALSE(List().Expanded(1));
    EXPECT_EQ(List().Cell(2, 0), "below");
    List().SetExpanded(1, false);
    EXPECT_EQ(log.size(), 1u);
    CatchUp();
    EXPECT_EQ(View()->model()->rowCount(), 4);
}

// A tree kept as the comparison keeps it: entries in groups, a folder naming its entries' group.
struct TreeEntry {
    std::string name;
    bool folder;
    int group;
    int childGroup;  // -1: no entries
};

const std::vector<TreeEntry> kTree = {
    {"A", true, 0, 1},   {"B", true, 0, -1},         {"c.txt", false, 0, -1},
    {"A1", true, 1, 3},  {"a.txt", false, 1, -1},    {"A1x.txt", false, 3, -1},
    {"A1y", true, 3, 4}, {"deep.txt", false, 4, -1},
};

// Adds the entries of one group, row by row, as the comparison's fill does.
void FillGroup(fw::ListBox& list, int group, int firstRow) {
    int n = 0;
    for (const TreeEntry& e : kTree) {
        if (e.group != group) continue;
        const int row = firstRow + n++;
        if (e.folder) {
            list.AddFolder("");
            list.SetCell(row, 4, "d");
            if (e.childGroup >= 0) list.SetCell(row, 5, std::to_string(e.childGroup));
        } else {
            list.AddRow("");
            list.SetCell(row, 4, "f");
        }
        list.SetCell(row, 0, e.name);
        list.SetCellType(row, 0, fw::ListBox::TypeCheckBox);
        list.SetCellCheck(row, 0, true);
        fw::GiveWay();
    }
}

TEST_F(ListBoxTest, AnExpandAllLoopOpensEveryFolderDepthFirstWhileRowsGoIn) {
    onExpand = [](fw::ListBox& l, int32_t row) {
        if (!l.Cell(row, 5).empty()) FillGroup(l, std::stoi(l.Cell(row, 5)), row + 1);
    };
    FillGroup(List(), 0, 0);
    for (int row = 0; row < List().ListCount(); ++row) {
        if (List().Cell(row, 4) == "d") List().SetExpanded(row, true);
        fw::GiveWay();
    }
    EXPECT_EQ(log, (Log{"ExpandRow 0", "ExpandRow 1", "ExpandRow 3", "ExpandRow 6"}));
    const std::vector<std::string> names = {"A",        "A1",    "A1x.txt", "A1y",
                                            "deep.txt", "a.txt", "B",       "c.txt"};
    const std::vector<int> depths = {0, 1, 2, 2, 3, 1, 0, 0};
    ASSERT_EQ(List().ListCount(), static_cast<int>(names.size()));
    for (int i = 0; i < List().ListCount(); ++i) {
        EXPECT_EQ(List().Cell(i, 0), names[i]) << i;
        EXPECT_EQ(List().RowDepth(i), depths[i]) << i;
        EXPECT_TRUE(List().CellCheck(i, 0)) << i;
    }
    EXPECT_TRUE(List().Expanded(6));  // B, opened though it has no entries

    // Closing the top folder takes its whole open subtree; opening it again makes it afresh.
    log.clear();
    List().SetExpanded(0, false);
    EXPECT_EQ(log, (Log{"CollapseRow 0"}));
    EXPECT_EQ(List().ListCount(), 3);
    EXPECT_EQ(List().Cell(1, 0), "B");
    List().SetExpanded(0, true);
    EXPECT_EQ(List().ListCount(), 5);
    EXPECT_EQ(List().Cell(1, 0), "A1");
    EXPECT_FALSE(List().Expanded(1));
    CatchUp();
    EXPECT_EQ(View()->model()->rowCount(), 5);
}

TEST_F(ListBoxTest, AFolderOpenedInsideAnotherFoldersExpandRowKeepsBothInPlace) {
    List().AddFolder("outer");
    List().AddRow("after");
    onExpand = [](fw::ListBox& l, int32_t row) {
        if (row != 0) {
            l.AddRow("inner child");
            return;
        }
        l.AddFolder("inner");
        l.SetExpanded(l.LastIndex(), true);  // its row goes in between
        l.AddRow("outer child");
    };
    List().SetExpanded(0, true);
    const std::vector<std::string> names = {"outer", "inner", "inner child", "outer child",
                                            "after"};
    const std::vector<int> depths = {0, 1, 2, 1, 0};
    ASSERT_EQ(List().ListCount(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(List().Cell(i, 0), names[i]) << i;
        EXPECT_EQ(List().RowDepth(i), depths[i]) << i;
    }
}

TEST_F(ListBoxTest, ClickingTheTriangleOpensAndClosesTheFolder) {
    List().AddFolder("folder");
    List().AddRow("other");
    onExpand = [](fw::ListBox& l, int32_t) {
        l.AddRow("child 1");
        l.AddRow("child 2");
    };
    ClickDisclosure(0);
    EXPECT_EQ(log, (Log{"ExpandRow 0"}));
    EXPECT_EQ(List().ListCount(), 4);
    EXPECT_EQ(List().Cell(1, 0), "child 1");
    EXPECT_EQ(List().ListIndex(), -1);  // the triangle does not select

    // A child's own row is deeper: its text starts further right.
    EXPECT_GT(Layout(1, 0).text.left(), Layout(3, 0).text.left());

    ClickDisclosure(0);
    EXPECT_EQ(log, (Log{"ExpandRow 0", "CollapseRow 0"}));
    EXPECT_EQ(List().ListCount(), 2);
}

TEST_F(ListBoxTest, ANonHierarchicalListAddsPlainRows) {
    List().SetHierarchical(false);
    List().AddFolder("plain");
    EXPECT_FALSE(List().RowIsFolder(0));
    List().SetExpanded(0, true);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(Layout(0, 0).disclosure.isEmpty());
}

// --- Selection

TEST_F(ListBoxTest, ChangeFollowsEveryRealChangeOfTheSelectionFromCode) {
    List().SetListIndex(0);  // an empty list
    EXPECT_EQ(List().ListIndex(), -1);
    AddRows(4);
    List().SetListIndex(2);
    List().SetListIndex(2);   // the same again
    List().SetListIndex(4);   // no such row
    List().SetListIndex(-1);  // none
    List().SetListIndex(-1);
    List().SetListIndex(3);
    List().RemoveRow(0);  // above the selection: the same row stays selected
    EXPECT_EQ(List().ListIndex(), 2);
    List().RemoveRow(2);  // the selected row
    List().DeleteAllRows();
    AddRows(2);
    List().SetListIndex(1);
    List().DeleteAllRows();  // with a selection
    EXPECT_EQ(log,
              (Log{"Change 2", "Change -1", "Change 3", "Change -1", "Change 1", "Change -1"}));
}

TEST_F(ListBoxTest, TheSelectionFollowsItsRowAndGoesWhenItsFolderCloses) {
    List().AddFolder("folder");
    List().AddRow("row");
    onExpand = [](fw::ListBox& l, int32_t) {
        l.AddRow("child 1");
        l.AddRow("child 2");
    };
    List().SetListIndex(1);
    List().SetExpanded(0, true);
    EXPECT_EQ(List().ListIndex(), 3);  // the same row, moved down by the children
    List().SetListIndex(2);
    List().SetExpanded(0, false);
    EXPECT_EQ(List().ListIndex(), -1);
    EXPECT_EQ(log, (Log{"Change 1", "ExpandRow 0", "Change 2", "Change -1", "CollapseRow 0"}));
}

TEST_F(ListBoxTest, ClicksSelectRowsAndTheEmptyAreaSelectsNone) {
    AddRows(3);
    ClickText(1, 1);
    ClickText(1, 2);  // the selected row again
    EXPECT_EQ(List().ListIndex(), 1);
    ClickText(2, 0);
    const QRect last = CellRect(2, 0);
    Click(QPoint(last.center().x(), last.bottom() + 30));
    EXPECT_EQ(log, (Log{"CellClick 1 1", "Change 1", "CellClick 1 2", "CellClick 2 0", "Change 2",
                        "Change -1"}));
    // The click's place within its cell.
    ClickText(0, 1);
    const QRect cell = CellRect(0, 1);
    const QPoint inside = Layout(0, 1).text.center() - cell.topLeft();
    EXPECT_EQ(clickX, inside.x());
    EXPECT_EQ(clickY, inside.y());
}

TEST_F(ListBoxTest, KeysMoveTheSelectionAndOpenAndCloseFolders) {
    List().AddFolder("folder");
    List().AddRow("row");
    onExpand = [](fw::ListBox& l, int32_t) { l.AddRow("child"); };
    Press(Qt::Key_Down);  // from none to the first row
    Press(Qt::Key_Right);
    Press(Qt::Key_Right);  // already open
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);
    Press(Qt::Key_Down);  // at the last row
    Press(Qt::Key_Up);
    Press(Qt::Key_Up);
    Press(Qt::Key_Up);  // at the first row
    Press(Qt::Key_Left);
    Press(Qt::Key_Left);
    EXPECT_EQ(log, (Log{"Change 0", "ExpandRow 0", "Change 1", "Change 2", "Change 1", "Change 0",
                        "CollapseRow 0"}));
}

TEST_F(ListBoxTest, KeysScrollTheSelectedRowIntoView) {
    AddRows(100);
    CatchUp();
    for (int i = 0; i < 40; ++i) Press(Qt::Key_Down);
    EXPECT_EQ(List().ListIndex(), 39);
    const QRect row = CellRect(39, 0);
    EXPECT_GE(row.top(), 0);
    EXPECT_LE(row.bottom(), Viewport()->height());
    EXPECT_GT(View()->verticalScrollBar()->value(), 0);
}

// --- Check boxes

TEST_F(ListBoxTest, AClickOnACheckBoxTogglesItAfterCellClickAndBeforeCellAction) {
    struct Case {
        const char* what;
        bool onBox;
        bool answer;  // CellClick's
        Log expected;
        bool checkedAfter;
    };
    const std::vector<Case> cases = {
        {"the box", true, false, {"CellClick 0 0", "Change 0", "CellAction 0 0 checked"}, true},
        {"the box, CellClick keeps it", true, true, {"CellClick 0 0"}, false},
        {"the text beside it", false, false, {"CellClick 0 0", "Change 0"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        List().DeleteAllRows();
        AddCheckRow("name", false);
        log.clear();
        cellClickAnswer = c.answer;
        if (c.onBox)
            ClickCheckBox(0, 0);
        else
            ClickText(0, 0);
        EXPECT_EQ(log, c.expected);
        EXPECT_EQ(List().CellCheck(0, 0), c.checkedAfter);
    }
    // A second click unticks it; the row is selected already.
    cellClickAnswer = false;
    List().DeleteAllRows();
    AddCheckRow("name", true);
    List().SetListIndex(0);
    log.clear();
    ClickCheckBox(0, 0);
    EXPECT_EQ(log, (Log{"CellClick 0 0 checked", "CellAction 0 0"}));
    EXPECT_FALSE(List().CellCheck(0, 0));
}

TEST_F(ListBoxTest, SpaceTogglesTheSelectedRowsCheckBox) {
    AddCheckRow("first", false);
    AddCheckRow("second", false);
    List().AddRow("plain");
    Press(Qt::Key_Space);  // nothing selected
    List().SetListIndex(1);
    Press(Qt::Key_Space);
    EXPECT_TRUE(List().CellCheck(1, 0));
    Press(Qt::Key_Space);
    List().SetListIndex(2);
    Press(Qt::Key_Space);  // not a check box
    EXPECT_EQ(log, (Log{"Change 1", "CellAction 1 0 checked", "CellAction 1 0", "Change 2"}));
    EXPECT_FALSE(List().CellCheck(0, 0));
    EXPECT_FALSE(List().CellCheck(2, 0));
}

// --- Double clicks and the event source

TEST_F(ListBoxTest, DoubleClickNamesTheRowOrMinusOneBelowTheRows) {
    AddRows(2);
    DoubleClick(Layout(1, 1).text.center());
    EXPECT_EQ(log, (Log{"CellClick 1 1", "Change 1", "CellClick 1 1", "DoubleClick 1"}));
    log.clear();
    const QRect last = CellRect(1, 1);
    DoubleClick(QPoint(last.center().x(), last.bottom() + 40));
    EXPECT_EQ(log, (Log{"Change -1", "DoubleClick -1"}));
}

TEST_F(ListBoxTest, ADoubleClickOnTheTriangleIsTwoClicksOnIt) {
    List().AddFolder("folder");
    onExpand = [](fw::ListBox& l, int32_t) { l.AddRow("child"); };
    DoubleClick(Layout(0, 0).disclosure.center());
    EXPECT_EQ(log, (Log{"ExpandRow 0", "CollapseRow 0"}));
    EXPECT_EQ(List().ListCount(), 1);
}

TEST_F(ListBoxTest, AClickDuringTheListsOwnHandlerWaitsForItToReturn) {
    List().AddFolder("folder");
    List().AddRow("other");
    onExpand = [&](fw::ListBox& l, int32_t) {
        l.AddRow("child 1");
        ClickText(2, 0);  // the user clicks "other" while the folder fills
        log.push_back("still expanding");
        l.AddRow("child 2");
    };
    ClickDisclosure(0);
    // It lands on "other", which the second child has moved down meanwhile.
    EXPECT_EQ(log, (Log{"ExpandRow 0", "still expanding", "CellClick 3 0", "Change 3"}));
    EXPECT_EQ(List().Cell(List().ListIndex(), 0), "other");
}

TEST_F(ListBoxTest, AWaitingClickWhoseRowGoesIsDropped) {
    struct Case {
        const char* what;
        std::function<void(fw::ListBox&)> meanwhile;
    };
    // Each leaves row 1 selected; the dropped click must not take that selection away.
    const std::vector<Case> cases = {
        {"its row removed",
         [](fw::ListBox& l) {
             l.RemoveRow(2);
             l.SetListIndex(1);
         }},
        {"the list emptied and filled again",
         [](fw::ListBox& l) {
             l.DeleteAllRows();
             for (int i = 0; i < 4; ++i) l.AddRow("new");
             l.SetListIndex(1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        List().DeleteAllRows();
        List().AddFolder("folder");
        AddRows(3);
        log.clear();
        onExpand = [&](fw::ListBox& l, int32_t) {
            ClickText(2, 0);
            c.meanwhile(l);
        };
        ClickDisclosure(0);
        EXPECT_EQ(log, (Log{"ExpandRow 0", "Change 1"}));
        EXPECT_EQ(List().ListIndex(), 1);
    }
}

TEST_F(ListBoxTest, OpenIsRaisedAsTheWindowOpens) {
    struct ListWindow : fw::Window {
        Log* log;
        explicit ListWindow(Log* l) : log(l) {}
        void CreateControls() override {
            auto* list = AddControl<fw::ListBox>("list");
            list->Open = [this](fw::ListBox& l) {
                log->push_back("Open " + std::to_string(l.ColumnCount()));
            };
            list->SetColumnCount(3);
        }
        void Event_Open() override { log->push_back("window Open"); }
    };
    ListWindow window(&log);
    window.Build();
    EXPECT_EQ(log, (Log{"Open 3", "window Open"}));
}

}  // namespace
