#pragma once

#include <cstdint>
#include <functional>

#include "Control.h"

namespace fw {

class Graphics;

// An area the program draws itself.
class Canvas : public Control {
public:
    Canvas(Window& window, std::string name);

    // Whenever the canvas is drawn; Refresh asks for it.
    std::function<void(Canvas&, Graphics&)> Paint;
    // A click at x, y within the canvas; answer true to take the rest of the click.
    std::function<bool(Canvas&, int32_t x, int32_t y)> MouseDown;
};

}  // namespace fw
