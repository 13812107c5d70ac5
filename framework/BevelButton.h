#pragma once

#include <functional>
#include <string>

#include "Control.h"

namespace fw {

// A compact button with a bevel and a centred caption. It takes no keyboard focus and fits its
// caption into small sizes (a "＋" at 22 x 18).
class BevelButton : public Control {
public:
    BevelButton(Window& window, std::string name);

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    // Presses the button as a click does (Action follows when it is enabled).
    void Push();

    std::function<void(BevelButton&)> Action;
};

}  // namespace fw
