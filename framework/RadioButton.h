#pragma once

#include <functional>
#include <string>

#include "Control.h"

namespace fw {

// A radio button. The radio buttons directly inside one container (or on one page) form a group:
// selecting one clears the others.
class RadioButton : public Control {
public:
    RadioButton(Window& window, std::string name);

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    bool Value() const;
    // Selecting raises Action for this button.
    void SetValue(bool value);

    // When the button becomes selected, by a click, by the keyboard or by SetValue.
    std::function<void(RadioButton&)> Action;
};

}  // namespace fw
