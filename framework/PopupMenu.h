#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Control.h"

namespace fw {

// A pop-up menu: a list of rows, one of them selected.
class PopupMenu : public Control {
public:
    PopupMenu(Window& window, std::string name);

    // Adds a row at the end; the selection stays as it is (a new menu selects no row).
    void AddRow(const std::string& text);
    // Removes every row; a selection becomes none (and Change follows).
    void DeleteAllRows();
    int32_t ListCount() const;
    std::string List(int32_t row) const;
    // The selected row, -1 for none. Setting it raises Change when it changes; a row that does
    // not exist is not selected.
    int32_t ListIndex() const;
    void SetListIndex(int32_t row);
    std::string Text() const;  // the selected row's text, "" for none

    // After every change of the selection, by the user or by SetListIndex.
    std::function<void(PopupMenu&)> Change;

private:
    int32_t index_ = -1;
};

}  // namespace fw
