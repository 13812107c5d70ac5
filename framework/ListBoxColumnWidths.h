#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fw {

// The widths of a list's columns in pixels from a list like "45%,22%,*,0,0": a number of pixels,
// a percentage of the whole width, or "*" ("2*": two shares) for a share of what the others leave.
// Columns beyond the list, and entries that say none of these, take "*". The shares fill the
// width exactly; when the others already take more than the whole width, the shares get nothing.
std::vector<int32_t> ComputeColumnWidths(const std::string& widthList, int32_t columns,
                                         int32_t total);

}  // namespace fw
