#pragma once

#include <cstdint>

#include "Color.h"
#include "Control.h"

namespace fw {

// A filled rectangle with a border; a container for the controls placed into it.
class Rectangle : public Control {
public:
    Rectangle(Window& window, std::string name);

    void SetFillColor(Color color);
    void SetBorderWidth(int32_t width);
    // The top and left edges are drawn in one colour, the bottom and right edges in the other.
    void SetBorderColors(Color topLeft, Color bottomRight);

    Color FillColor() const { return fill_; }
    int32_t BorderWidth() const { return borderWidth_; }
    Color TopLeftColor() const { return topLeft_; }
    Color BottomRightColor() const { return bottomRight_; }

private:
    Color fill_{255, 255, 255};
    int32_t borderWidth_ = 1;
    Color topLeft_{0, 0, 0};
    Color bottomRight_{0, 0, 0};
};

}  // namespace fw
