#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "Control.h"

namespace fw {

class Graphics;

// A list of rows and columns, flat or hierarchical. Rows are numbered 0 to ListCount - 1 in the
// order they are shown. Every column holds text, also a column of zero width, which is never shown
// but keeps its data. A cell can be a check box.
//
// Hierarchical lists have folder rows. Opening a folder row (by the user or by SetExpanded)
// raises ExpandRow before it returns; the rows added while that event runs go directly below the
// folder, in the order added, one level deeper. Closing it removes every row below it and raises
// CollapseRow.
//
// The rows live in the list's own store, shown through a view, so that a hundred thousand rows
// fill in well under a second. Every read answers from the store at once; the view catches up as
// soon as the program waits for events.
//
// The user's input: a click on a folder's triangle opens or closes it (nothing else); a click on
// a cell raises CellClick, then selects the row and toggles a check box it hit; a click below the
// rows selects none. Up and down move the selection, right and left open and close the selected
// folder, space toggles the check box in column 0 of the selected row.
class ListBox : public Control {
public:
    enum CellTypeKind : int32_t { TypeDefault = 0, TypeNormal = 1, TypeCheckBox = 2 };

    ListBox(Window& window, std::string name);
    ~ListBox() override;

    // --- Columns
    void SetColumnCount(int32_t count);
    int32_t ColumnCount() const;
    // Widths as a comma-separated list, one per column: pixels ("80"), a percentage of the list's
    // width ("45%"), or "*" for an equal share of what is left. Recomputed whenever the list's
    // width changes. Columns beyond the list take "*".
    void SetColumnWidths(const std::string& widths);
    std::string ColumnWidths() const;
    int32_t ColumnWidthActual(int32_t column) const;  // in pixels, now
    void SetHasHeading(bool hasHeading);
    void SetHeading(int32_t column, const std::string& heading);
    std::string Heading(int32_t column) const;
    // 1: a heading that does not sort the rows when clicked. The list never sorts by itself.
    void SetHeaderType(int32_t column, int32_t type);
    int32_t HeaderType(int32_t column) const;
    void SetColumnsResizable(bool resizable);
    // Without it, AddFolder adds a plain row.
    void SetHierarchical(bool hierarchical);
    void SetScrollBars(bool vertical, bool horizontal);

    // --- Rows
    // Adds a row at the end (or, inside ExpandRow, below the folder being opened) with its first
    // cell; LastIndex tells where it went.
    void AddRow(const std::string& firstCell);
    void AddFolder(const std::string& firstCell);
    void RemoveRow(int32_t row);  // a folder row takes its open rows with it
    void DeleteAllRows();
    int32_t ListCount() const;
    int32_t LastIndex() const;  // the row added last, -1 when none
    bool RowIsFolder(int32_t row) const;
    int32_t RowDepth(int32_t row) const;  // 0 for a top-level row

    // Cells. Out-of-range rows and columns read as empty and are not written.
    std::string Cell(int32_t row, int32_t column) const;
    void SetCell(int32_t row, int32_t column, const std::string& text);
    int32_t CellType(int32_t row, int32_t column) const;
    void SetCellType(int32_t row, int32_t column, int32_t type);
    bool CellCheck(int32_t row, int32_t column) const;
    void SetCellCheck(int32_t row, int32_t column, bool checked);

    // Opening and closing folder rows; see above.
    bool Expanded(int32_t row) const;
    void SetExpanded(int32_t row, bool expanded);

    // The selected row, -1 for none (single selection). Every real change of the selection
    // raises Change: a click, the keyboard, SetListIndex, and removing the selected row or
    // emptying the list. The selected row stays selected as rows come and go around it.
    int32_t ListIndex() const;
    // A negative row selects none; a row the list does not have changes nothing.
    void SetListIndex(int32_t row);

    // --- Events
    std::function<void(ListBox&)> Open;  // once, as the window opens
    std::function<void(ListBox&)> Change;
    // A double click on a row (row -1: on the empty area below the rows).
    std::function<void(ListBox&, int32_t row)> DoubleClick;
    std::function<void(ListBox&, int32_t row)> ExpandRow;
    std::function<void(ListBox&, int32_t row)> CollapseRow;
    // A click on a cell, before the list handles it (selection, toggling a check box). Answer
    // true to keep the list from handling it. x and y are within the cell.
    std::function<bool(ListBox&, int32_t row, int32_t column, int32_t x, int32_t y)> CellClick;
    // The user changed a cell: a check box ticked or unticked by a click or by the keyboard.
    std::function<void(ListBox&, int32_t row, int32_t column)> CellAction;
    // Paints a cell's background, the context clipped to the cell. Answer true when the handler
    // has drawn the whole background, selection highlight included; false lets the list draw the
    // highlight of a selected row over it.
    std::function<bool(ListBox&, Graphics&, int32_t row, int32_t column)> CellBackgroundPaint;

    void RaiseOpen() override;

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

}  // namespace fw
