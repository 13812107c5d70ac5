#pragma once

#include <cstdint>
#include <string>

#include "Color.h"

namespace fw {

// A drawing context handed to a paint event: a cell of a list box, a canvas. Coordinates start at
// its top-left corner and drawing is clipped to its area.
class Graphics {
public:
    virtual ~Graphics() = default;

    Color ForeColor;  // the colour of what is drawn next

    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual void FillRect(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void DrawRect(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    // Text with its baseline at y.
    virtual void DrawString(const std::string& text, int32_t x, int32_t y) = 0;
    // The platform's standard caution icon, size pixels square, its top-left corner at x, y.
    virtual void DrawCautionIcon(int32_t x, int32_t y, int32_t size) {
        (void)x;
        (void)y;
        (void)size;
    }
};

}  // namespace fw
