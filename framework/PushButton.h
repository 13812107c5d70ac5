#pragma once

#include <functional>
#include <string>

#include "Control.h"

namespace fw {

// A push button. In a dialog, the default button answers Return and the cancel button answers
// Escape (and a close of the dialog by the window manager); no other button answers either key.
class PushButton : public Control {
public:
    PushButton(Window& window, std::string name);

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    void SetDefault(bool isDefault);
    bool Default() const { return default_; }
    void SetCancel(bool isCancel);
    bool Cancel() const { return cancel_; }
    // Presses the button as a click does (Action follows when it is enabled).
    void Push();

    std::function<void(PushButton&)> Action;

private:
    bool default_ = false;
    bool cancel_ = false;
};

}  // namespace fw
