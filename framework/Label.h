#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace fw {

class Window;

// A static text on a window. A carriage return or line feed in the text starts a new line. Labels
// take no clicks: a click on one reaches the window.
class Label {
public:
    enum class Align { Left, Center, Right };

    Label(Window& window, int32_t left, int32_t top, int32_t width, int32_t height);
    ~Label();

    void SetText(const std::string& text);
    std::string Text() const;
    void SetFont(double points, bool bold = false, bool italic = false);
    void SetTextColor(int r, int g, int b);
    void SetAlignment(Align a);
    void SetEnabled(bool e);
    void SetVisible(bool v);
    int32_t Left() const;
    int32_t Width() const;
    void SetLeft(int32_t v);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace fw
