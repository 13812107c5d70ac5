#pragma once

#include <string>

#include "Color.h"
#include "Control.h"

namespace fw {

// A static text. A CR, LF or CR LF in the text starts a new line. Labels take no clicks and no
// focus: a click on one reaches what lies below it (the window). A label's help tag shows where
// the mouse rests on it.
class Label : public Control {
public:
    enum class Align { Left, Center, Right };

    Label(Window& window, std::string name);

    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }
    void SetTextColor(Color color);
    void SetAlignment(Align align);
    // A multi-line label also wraps long lines at its width.
    void SetMultiline(bool multiline);
    // A transparent label shows what lies below it; an opaque one paints the window's background.
    void SetTransparent(bool transparent);
    void SetUnderline(bool underline);

private:
    std::string text_;
};

}  // namespace fw
