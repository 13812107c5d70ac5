#include <algorithm>

#include "compare/PeriodicGiveWay.h"
#include "framework/Color.h"
#include "framework/Graphics.h"
#include "framework/Strings.h"
#include "framework/UserCancel.h"
#include "mainwindow/Window1.h"

// The two comparison lists: filling them from the trees, opening every folder, their events, the
// deferred copy of a check box into its record, and the reset of the comparison's view.
//
// Row columns: 0 name (a check box), 1 size, 2 date, and hidden: 3 path, 4 kind, 5 the group of
// a folder's entries ("" when it has none), 6 the index of the record in pSyncL or pSyncR.

namespace {

constexpr int32_t kCheckBoxCell = 2;
constexpr fw::Color kStripe = fw::RGB(237, 243, 254);
constexpr int32_t kStripeHeight = 24;

// Adds the run of one group as rows: at the end, or, inside ExpandRow, below the folder being
// opened. Gives way between rows only when asked to: during the comparison pass, which keeps the
// lists and the trees from changing meanwhile.
void FillGroup(fw::ListBox& list, const std::vector<SyncEntry>& tree,
               const std::vector<GroupRun>& runs, int32_t groupNumber, bool giveWay) {
    PeriodicGiveWay yield;
    const GroupRun run = RunOf(runs, groupNumber);
    const int32_t end = std::min<int32_t>(run.first + run.count, static_cast<int32_t>(tree.size()));
    for (int32_t i = run.first; i < end; ++i) {
        const SyncEntry& e = tree[static_cast<size_t>(i)];
        if (e.group != groupNumber) continue;
        if (e.kind == "d") {
            list.AddFolder("");
        } else {
            list.AddRow("");
        }
        const int32_t r = list.LastIndex();
        list.SetCell(r, 6, std::to_string(i));  // the last column first: the row's cells at once
        if (e.kind == "d") {
            list.SetCell(r, 1, "-");
            list.SetCell(r, 4, "d");
            if (e.childCount > 0 && e.child >= 0 && static_cast<size_t>(e.child) < tree.size())
                list.SetCell(r, 5, std::to_string(tree[static_cast<size_t>(e.child)].group));
        } else {
            list.SetCell(r, 1, e.size);
            list.SetCell(r, 4, "f");
        }
        list.SetCell(r, 0, e.name);
        list.SetCellType(r, 0, kCheckBoxCell);
        list.SetCellCheck(r, 0, e.check);
        list.SetCell(r, 2, e.date);
        list.SetCell(r, 3, e.path);
        if (giveWay) yield();
    }
    list.Refresh();
}

// Opens every folder row, at every depth: a folder's entries come in directly below it, so the
// row after a folder is its first entry. Gives way between rows, so that the window repaints and
// the cancel key is seen.
void ExpandAll(fw::ListBox& list, bool& expandingAll) {
    PeriodicGiveWay yield;
    for (int32_t row = 0; row < list.ListCount(); ++row) {
        if (list.Cell(row, 4) == "d") {
            expandingAll = true;  // this opening is the expand-all's, not the user's
            list.SetExpanded(row, true);
            expandingAll = false;
        }
        if (fw::UserCancelled()) break;
        yield();
    }
    list.Refresh();
}

bool OddRow(int32_t row) {
    return row != 2 * (row / 2);
}

}  // namespace

void Window1::GetCompareList35r(int32_t groupNumber) {
    if (!expanding) remoteListBox->DeleteAllRows();
    FillGroup(*remoteListBox, pSyncR, pRunsR, groupNumber, pListsFilling);
}

void Window1::GetCompareList36l(int32_t groupNumber) {
    if (!expandingL) localListBox->DeleteAllRows();
    FillGroup(*localListBox, pSyncL, pRunsL, groupNumber, pListsFilling);
}

void Window1::GetCompareList35r2() {
    ExpandAll(*remoteListBox, pExpandingAll);
}

void Window1::GetCompareList36l2() {
    ExpandAll(*localListBox, pExpandingAll);
}

// --- Events of the lists

bool Window1::localListBox_CellBackgroundPaint(fw::ListBox& list, fw::Graphics& g, int32_t row,
                                               int32_t) {
    if (OddRow(row)) {
        g.ForeColor = kStripe;
        g.FillRect(0, 0, list.Width(), kStripeHeight);
    }
    return false;
}

bool Window1::remoteListBox_CellBackgroundPaint(fw::ListBox& list, fw::Graphics& g, int32_t row,
                                                int32_t column) {
    return localListBox_CellBackgroundPaint(list, g, row, column);
}

void Window1::localListBox_ExpandRow(fw::ListBox& list, int32_t row) {
    if (pListsFilling && !pExpandingAll) return;  // the user's, while the lists are being made
    expandingL = true;
    const std::string group = list.Cell(row, 5);
    if (!group.empty()) GetCompareList36l(static_cast<int32_t>(fw::Val(group)));
    expandingL = false;
    Timer2.SetMode(fw::Timer::kModeSingle);
}

void Window1::remoteListBox_ExpandRow(fw::ListBox& list, int32_t row) {
    if (pListsFilling && !pExpandingAll) return;
    expanding = true;
    const std::string group = list.Cell(row, 5);
    if (!group.empty()) GetCompareList35r(static_cast<int32_t>(fw::Val(group)));
    expanding = false;
    Timer2.SetMode(fw::Timer::kModeSingle);
}

void Window1::localListBox_CollapseRow(fw::ListBox&, int32_t) {
    if (pListsFilling) return;
    Timer2.SetMode(fw::Timer::kModeSingle);
}

void Window1::remoteListBox_CollapseRow(fw::ListBox& list, int32_t row) {
    localListBox_CollapseRow(list, row);
}

// A click is copied into its record 100 ms later, once the list has toggled the box. A click
// still waiting when the next one comes is copied first, so no click is lost.
bool Window1::localListBox_CellClick(fw::ListBox&, int32_t row, int32_t, int32_t, int32_t) {
    if (pTimerRowPending && pTimerRow != row) Timer1_Action(Timer1);
    pTimerRow = row;
    pTimerRowPending = true;
    Timer1.SetMode(fw::Timer::kModeSingle);
    return false;
}

bool Window1::remoteListBox_CellClick(fw::ListBox&, int32_t row, int32_t, int32_t, int32_t) {
    if (pTimerRowPending && pTimerRow != -row - 1) Timer1_Action(Timer1);
    pTimerRow = -row - 1;
    pTimerRowPending = true;
    Timer1.SetMode(fw::Timer::kModeSingle);
    return false;
}

void Window1::localListBox_Open(fw::ListBox& list) {
    for (int32_t column = 0; column < list.ColumnCount(); ++column) list.SetHeaderType(column, 1);
    // A box changed by the keyboard raises no click: its change is copied as it happens.
    list.CellAction = [this](fw::ListBox& changed, int32_t row, int32_t column) {
        if (column == 0) CompareListCopyCheck(changed, row);
    };
}

void Window1::remoteListBox_Open(fw::ListBox& list) {
    localListBox_Open(list);
}

void Window1::Timer1_Action(fw::Timer&) {
    pTimerRowPending = false;
    if (pTimerRow >= 0)
        CompareListCopyCheck(*localListBox, pTimerRow);
    else
        CompareListCopyCheck(*remoteListBox, -pTimerRow - 1);
}

// Copies the row's check box into the record named in its column 6. An opaque record is never
// marked: its box is put back.
void Window1::CompareListCopyCheck(fw::ListBox& list, int32_t row) {
    if (row < 0 || row >= list.ListCount()) return;
    std::vector<SyncEntry>& tree = &list == localListBox ? pSyncL : pSyncR;
    int32_t index = 0;
    if (!fw::ParseInt32(list.Cell(row, 6), index) || index < 0 ||
        static_cast<size_t>(index) >= tree.size())
        return;
    SyncEntry& record = tree[static_cast<size_t>(index)];
    if (record.opaque) {
        if (list.CellCheck(row, 0)) list.SetCellCheck(row, 0, false);
        return;
    }
    record.check = list.CellCheck(row, 0);
}

void Window1::Timer2_Action(fw::Timer&) {
    for (fw::ListBox* list : {localListBox, remoteListBox}) {
        if (list->ListCount() > 0) list->SetListIndex(0);
        list->SetListIndex(-1);
    }
}

void Window1::ClearVal() {
    if (pComparePass) return;  // the pass still works on the lists and the counters
    localListBox->DeleteAllRows();
    remoteListBox->DeleteAllRows();
    pGroupL = -1;
    pGroupR = -1;
    pRun.DropStep();  // pUpload back to UploadNone, pRemove to false
    getList = false;
    expanding = false;
    expandingL = false;
}
