#pragma once

#include <cstdint>
#include <vector>

namespace fw {

// A screen's area that windows may use (without the desktop's panels), in the coordinates of a
// window's Left and Top.
struct ScreenArea {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Every screen's area, the primary screen's first; empty when the platform knows no screen.
std::vector<ScreenArea> AvailableScreenAreas();

}  // namespace fw
