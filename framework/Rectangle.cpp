#include "Rectangle.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace fw {

namespace {

QColor ToQColor(Color c) {
    return QColor(c.r, c.g, c.b);
}

// Paints the rectangle: the fill, then the top and left edges in one colour and the bottom and
// right edges in the other. Clicks on it go on to the window below.
class RectangleWidget : public QWidget {
public:
    explicit RectangleWidget(const Rectangle& model) : model_(model) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int w = width();
        const int h = height();
        p.fillRect(rect(), ToQColor(model_.FillColor()));
        const int b = std::min({model_.BorderWidth(), w / 2 + 1, h / 2 + 1});
        if (b <= 0) return;
        const QColor topLeft = ToQColor(model_.TopLeftColor());
        const QColor bottomRight = ToQColor(model_.BottomRightColor());
        p.fillRect(0, h - b, w, b, bottomRight);
        p.fillRect(w - b, 0, b, h, bottomRight);
        p.fillRect(0, 0, w - b, b, topLeft);
        p.fillRect(0, 0, b, h - b, topLeft);
    }

private:
    const Rectangle& model_;
};

}  // namespace

Rectangle::Rectangle(Window& window, std::string name)
    : Control(window, std::move(name), new RectangleWidget(*this)) {
    Widget()->setFocusPolicy(Qt::NoFocus);
}

void Rectangle::SetFillColor(Color color) {
    fill_ = color;
    // The opaque controls inside (labels) take the fill as their background.
    QPalette p = Widget()->palette();
    p.setColor(QPalette::Window, ToQColor(color));
    Widget()->setPalette(p);
    Refresh();
}

void Rectangle::SetBorderWidth(int32_t width) {
    borderWidth_ = std::max(0, width);
    Refresh();
}

void Rectangle::SetBorderColors(Color topLeft, Color bottomRight) {
    topLeft_ = topLeft;
    bottomRight_ = bottomRight;
    Refresh();
}

}  // namespace fw
