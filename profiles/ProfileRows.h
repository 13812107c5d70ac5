#pragma once

#include <cstdint>
#include <string>

#include "framework/ListBox.h"
#include "framework/Strings.h"

// The rows of the profile list: column 0 shows the profile's name, the hidden column 1 holds its
// index in the profile array as decimal text. Deleted profiles keep their index, so a row number
// and a profile index differ as soon as one has been deleted: whatever starts from a row takes the
// index from column 1.

constexpr int32_t kProfileIndexColumn = 1;

inline int32_t ProfileIndexOfRow(const fw::ListBox& list, int32_t row) {
    return static_cast<int32_t>(fw::Val(list.Cell(row, kProfileIndexColumn)));
}

// The row that shows the profile, -1 when none does.
inline int32_t RowOfProfile(const fw::ListBox& list, int32_t index) {
    const std::string text = std::to_string(index);
    for (int32_t row = 0; row < list.ListCount(); ++row)
        if (list.Cell(row, kProfileIndexColumn) == text) return row;
    return -1;
}
