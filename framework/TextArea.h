#pragma once

#include <functional>
#include <string>

#include "Control.h"

namespace fw {

// A multi-line text area. Text answers exactly the bytes set and appended (line ends as they
// were given); the display shows CR, LF and CR LF as line breaks.
class TextArea : public Control {
public:
    TextArea(Window& window, std::string name);

    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    // Adds text at the end, keeping what is there; a view scrolled to the end follows it.
    void AppendText(const std::string& text);
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const;
    // Without a horizontal scroll bar long lines wrap at the area's width.
    void SetScrollBars(bool vertical, bool horizontal);
    void ScrollToEnd();

    // Every change of the text by the user.
    std::function<void(TextArea&)> TextChange;

private:
    std::string text_;
};

}  // namespace fw
