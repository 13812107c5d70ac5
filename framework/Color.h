#pragma once

namespace fw {

// A colour as red, green and blue from 0 to 255.
struct Color {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Color&) const = default;
};

constexpr Color RGB(int r, int g, int b) {
    return Color{r, g, b};
}

}  // namespace fw
