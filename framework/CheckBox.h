#pragma once

#include <functional>
#include <string>

#include "Control.h"

namespace fw {

// A check box with its caption.
class CheckBox : public Control {
public:
    CheckBox(Window& window, std::string name);

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    bool Value() const { return value_; }
    // Raises Action when the value changes.
    void SetValue(bool value);

    // After every change of the value, by a click, by the keyboard or by SetValue.
    std::function<void(CheckBox&)> Action;

private:
    bool value_ = false;
};

}  // namespace fw
