#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Control.h"

namespace fw {

// A one-line text field. Its value reaches places where a line break or a NUL would do harm (FTP
// commands, settings files), so CR, LF and NUL never get in: not by typing, not by pasting, not by
// SetText.
class TextField : public Control {
public:
    TextField(Window& window, std::string name);

    std::string Text() const;
    void SetText(const std::string& text);
    // Masked entry (a password).
    void SetPassword(bool masked);
    bool Password() const;
    void SetReadOnly(bool readOnly);
    // At most this many bytes of UTF-8 (0: no limit); longer input is cut at a character
    // boundary.
    void SetMaxBytes(int32_t maxBytes);
    void SelectAll();

    // Every change of the text, by the user or by the program.
    std::function<void(TextField&)> TextChange;

private:
    std::string text_;  // as last reported by TextChange
};

}  // namespace fw
