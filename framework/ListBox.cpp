#include "ListBox.h"

#include <QHeaderView>
#include <algorithm>

#include "Event.h"
#include "ListBoxImpl.h"
#include "ListBoxView.h"

namespace fw {

namespace {

constexpr int32_t kMaxColumns = 256;

}  // namespace

// --- The rows and the selection

int32_t ListBox::Impl::CellTypeOf(int32_t row, int32_t column) const {
    if (!ValidCell(row, column)) return 0;
    const ListBoxRow& r = rows.At(row);
    return r.Mark(static_cast<size_t>(column)) & ListBoxRow::kTypeMask;
}

bool ListBox::Impl::CheckOf(int32_t row, int32_t column) const {
    if (!ValidCell(row, column)) return false;
    const ListBoxRow& r = rows.At(row);
    return (r.Mark(static_cast<size_t>(column)) & ListBoxRow::kCheckedBit) != 0;
}

void ListBox::Impl::Changed() {
    view->ScheduleSync();
}

void ListBox::Impl::RowsInserted(int32_t at, int32_t count) {
    auto shift = [&](int32_t& index) {
        if (index >= at) index += count;
    };
    shift(selected);
    shift(lastIndex);
    for (ListBoxExpansion& e : expansions) {
        shift(e.folder);
        shift(e.next);
    }
    for (int32_t* row : waitingClicks) shift(*row);
}

bool ListBox::Impl::RowsRemoved(int32_t first, int32_t count) {
    const int32_t end = first + count;
    auto removed = [&](int32_t index) { return index >= first && index < end; };
    auto shift = [&](int32_t& index) {
        if (index >= end) index -= count;
    };
    bool selectionGone = removed(selected);
    if (selectionGone) selected = -1;
    shift(selected);
    if (removed(lastIndex)) lastIndex = -1;
    shift(lastIndex);
    for (ListBoxExpansion& e : expansions) {
        if (removed(e.folder)) e.live = false;
        shift(e.folder);
        if (e.next > first && e.next <= end)
            e.next = first;
        else
            shift(e.next);
    }
    for (int32_t* row : waitingClicks) {
        if (removed(*row)) *row = kGoneRow;
        shift(*row);
    }
    return selectionGone;
}

void ListBox::Impl::Add(const std::string& firstCell, bool folder) {
    ListBoxRow row;
    row.SetCell(0, firstCell);
    row.folder = folder && hierarchical;
    ListBoxExpansion* into = nullptr;
    for (auto e = expansions.rbegin(); e != expansions.rend() && !into; ++e)
        if (e->live) into = &*e;
    int32_t at = rows.Size();
    if (into) {
        at = into->next;
        row.depth = into->depth;
    }
    rows.Insert(at, std::move(row));
    RowsInserted(at, 1);  // moves into->next past the new row
    lastIndex = at;
    Changed();
}

int32_t ListBox::Impl::SubtreeEnd(int32_t row) const {
    const int32_t depth = rows.At(row).depth;
    int32_t end = row + 1;
    while (end < rows.Size() && rows.At(end).depth > depth) ++end;
    return end;
}

void ListBox::Impl::Remove(int32_t first, int32_t count) {
    if (count <= 0) return;
    rows.Erase(first, count);
    const bool selectionGone = RowsRemoved(first, count);
    Changed();
    if (selectionGone) RaiseEvent(owner.Change, owner);
}

void ListBox::Impl::Clear() {
    const bool hadSelection = selected >= 0;
    rows.Clear();
    selected = -1;
    lastIndex = -1;
    for (ListBoxExpansion& e : expansions) e.live = false;
    for (int32_t* row : waitingClicks)
        if (*row >= 0) *row = kGoneRow;
    Changed();
    if (hadSelection) RaiseEvent(owner.Change, owner);
}

void ListBox::Impl::Select(int32_t row) {
    if (row < 0) row = -1;
    if (row >= rows.Size() || row == selected) return;
    selected = row;
    view->viewport()->update();
    RaiseEvent(owner.Change, owner);
}

void ListBox::Impl::SetExpanded(int32_t row, bool expanded) {
    if (!rows.Contains(row)) return;
    ListBoxRow& r = rows.At(row);
    if (!r.folder || r.expanded == expanded) return;
    r.expanded = expanded;
    Changed();
    if (!expanded) {
        Remove(row + 1, SubtreeEnd(row) - row - 1);
        RaiseEvent(owner.CollapseRow, owner, row);
        return;
    }
    // The rows added while ExpandRow runs go below the folder, in order, one level deeper.
    expansions.push_back({row, row + 1, r.depth + 1, true});
    struct Done {
        std::vector<ListBoxExpansion>& expansions;
        ~Done() { expansions.pop_back(); }
    } done{expansions};
    RaiseEvent(owner.ExpandRow, owner, row);
}

void ListBox::Impl::SetCheck(int32_t row, int32_t column, bool checked) {
    if (!ValidCell(row, column)) return;
    ListBoxRow& r = rows.At(row);
    const uint8_t mark = r.Mark(static_cast<size_t>(column));
    r.SetMark(static_cast<size_t>(column),
              checked ? mark | ListBoxRow::kCheckedBit : mark & ListBoxRow::kTypeMask);
    Changed();
}

// --- The user's input

void ListBox::Impl::UserClick(int32_t row, int32_t column, int32_t x, int32_t y,
                              ListBoxCellPart part) {
    if (row == kGoneRow) return;  // the row went while the click waited
    if (!rows.Contains(row)) {
        Select(-1);  // the empty area below the rows
        return;
    }
    if (part == ListBoxCellPart::Disclosure) {
        SetExpanded(row, !rows.At(row).expanded);
        return;
    }
    if (column >= 0 && owner.CellClick && owner.CellClick(owner, row, column, x, y)) return;
    Select(row);
    if (part == ListBoxCellPart::CheckBox && CellTypeOf(row, column) == TypeCheckBox) {
        SetCheck(row, column, !CheckOf(row, column));
        RaiseEvent(owner.CellAction, owner, row, column);
    }
}

void ListBox::Impl::UserDoubleClick(int32_t row, int32_t column, int32_t x, int32_t y,
                                    ListBoxCellPart part) {
    // The second click of a double click is a click too; on a triangle it is only that.
    if (row == kGoneRow) return;
    UserClick(row, column, x, y, part);
    if (part == ListBoxCellPart::Disclosure) return;
    RaiseEvent(owner.DoubleClick, owner, rows.Contains(row) ? row : -1);
}

void ListBox::Impl::UserKey(Key key) {
    const int32_t count = rows.Size();
    switch (key) {
        case Key::Up:
            if (count == 0) return;
            Select(selected < 0 ? 0 : std::max(0, selected - 1));
            view->ShowRow(selected);
            return;
        case Key::Down:
            if (count == 0) return;
            Select(selected < 0 ? 0 : std::min(count - 1, selected + 1));
            view->ShowRow(selected);
            return;
        case Key::Left:
        case Key::Right:
            SetExpanded(selected, key == Key::Right);
            return;
        case Key::Space:
            if (CellTypeOf(selected, 0) != TypeCheckBox) return;
            SetCheck(selected, 0, !CheckOf(selected, 0));
            RaiseEvent(owner.CellAction, owner, selected, 0);
            return;
    }
}

// --- The control

ListBox::ListBox(Window& window, std::string name)
    : Control(window, std::move(name), new ListBoxView) {
    auto* view = static_cast<ListBoxView*>(Widget());
    d = std::make_unique<Impl>(*this, view);
    view->Attach(d.get());
    SetTextFont(12);
}

ListBox::~ListBox() {
    d->view->Attach(nullptr);
}

void ListBox::RaiseOpen() {
    RaiseEvent(Open, *this);
}

// Columns

void ListBox::SetColumnCount(int32_t count) {
    count = std::clamp(count, 1, kMaxColumns);
    if (count == d->columnCount) return;
    d->columnCount = count;
    d->headings.resize(count);
    d->headerTypes.resize(count, 0);
    d->view->SetColumnCount(count);
}

int32_t ListBox::ColumnCount() const {
    return d->columnCount;
}

void ListBox::SetColumnWidths(const std::string& widths) {
    d->columnWidths = widths;
    d->view->ApplyColumnWidths();
}

std::string ListBox::ColumnWidths() const {
    return d->columnWidths;
}

int32_t ListBox::ColumnWidthActual(int32_t column) const {
    if (column < 0 || column >= d->columnCount) return 0;
    QHeaderView* heading = d->view->horizontalHeader();
    return heading->isSectionHidden(column) ? 0 : heading->sectionSize(column);
}

void ListBox::SetHasHeading(bool hasHeading) {
    d->view->horizontalHeader()->setVisible(hasHeading);
}

void ListBox::SetHeading(int32_t column, const std::string& heading) {
    if (column < 0 || column >= d->columnCount) return;
    d->headings.resize(d->columnCount);
    d->headings[column] = heading;
    d->view->HeadingChanged(column);
}

std::string ListBox::Heading(int32_t column) const {
    if (column < 0 || static_cast<size_t>(column) >= d->headings.size()) return {};
    return d->headings[column];
}

void ListBox::SetHeaderType(int32_t column, int32_t type) {
    if (column < 0 || column >= d->columnCount) return;
    d->headerTypes.resize(d->columnCount, 0);
    d->headerTypes[column] = type;
}

int32_t ListBox::HeaderType(int32_t column) const {
    if (column < 0 || static_cast<size_t>(column) >= d->headerTypes.size()) return 0;
    return d->headerTypes[column];
}

void ListBox::SetColumnsResizable(bool resizable) {
    d->view->horizontalHeader()->setSectionResizeMode(resizable ? QHeaderView::Interactive
                                                                : QHeaderView::Fixed);
}

void ListBox::SetHierarchical(bool hierarchical) {
    d->hierarchical = hierarchical;
    d->view->viewport()->update();
}

void ListBox::SetScrollBars(bool vertical, bool horizontal) {
    d->view->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    d->view->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded
                                                     : Qt::ScrollBarAlwaysOff);
}

// Rows

void ListBox::AddRow(const std::string& firstCell) {
    d->Add(firstCell, false);
}

void ListBox::AddFolder(const std::string& firstCell) {
    d->Add(firstCell, true);
}

void ListBox::RemoveRow(int32_t row) {
    if (!d->rows.Contains(row)) return;
    d->Remove(row, d->SubtreeEnd(row) - row);
}

void ListBox::DeleteAllRows() {
    d->Clear();
}

int32_t ListBox::ListCount() const {
    return d->rows.Size();
}

int32_t ListBox::LastIndex() const {
    return d->lastIndex;
}

bool ListBox::RowIsFolder(int32_t row) const {
    return d->rows.Contains(row) && d->rows.At(row).folder;
}

int32_t ListBox::RowDepth(int32_t row) const {
    return d->rows.Contains(row) ? d->rows.At(row).depth : 0;
}

// Cells

std::string ListBox::Cell(int32_t row, int32_t column) const {
    if (!d->ValidCell(row, column)) return {};
    return std::string(d->rows.At(row).Cell(static_cast<size_t>(column)));
}

void ListBox::SetCell(int32_t row, int32_t column, const std::string& text) {
    if (!d->ValidCell(row, column)) return;
    d->rows.At(row).SetCell(static_cast<size_t>(column), text);
    d->view->ScheduleSync();
}

int32_t ListBox::CellType(int32_t row, int32_t column) const {
    return d->CellTypeOf(row, column);
}

void ListBox::SetCellType(int32_t row, int32_t column, int32_t type) {
    if (!d->ValidCell(row, column) || type < 0 || type > ListBoxRow::kTypeMask) return;
    ListBoxRow& r = d->rows.At(row);
    const size_t c = static_cast<size_t>(column);
    r.SetMark(c, static_cast<uint8_t>((r.Mark(c) & ListBoxRow::kCheckedBit) | type));
    d->view->ScheduleSync();
}

bool ListBox::CellCheck(int32_t row, int32_t column) const {
    return d->CheckOf(row, column);
}

void ListBox::SetCellCheck(int32_t row, int32_t column, bool checked) {
    d->SetCheck(row, column, checked);
}

// Folders and the selection

bool ListBox::Expanded(int32_t row) const {
    return d->rows.Contains(row) && d->rows.At(row).expanded;
}

void ListBox::SetExpanded(int32_t row, bool expanded) {
    d->SetExpanded(row, expanded);
}

int32_t ListBox::ListIndex() const {
    return d->selected;
}

void ListBox::SetListIndex(int32_t row) {
    d->Select(row);
}

}  // namespace fw
