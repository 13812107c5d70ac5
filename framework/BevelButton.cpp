#include "BevelButton.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QPainter>

#include "PlatformInternal.h"

namespace fw {

namespace {

// Room between the bevel and the caption on each side. Kept small, so that a short caption fits
// a button of 22 x 18 and a word of a few characters one of 40 x 18.
constexpr int kBevel = 1;
constexpr int kPadding = 1;

// A button drawn as a bevel: light top and left edges, dark bottom and right ones, swapped while
// pressed, with the caption centred.
class BevelButtonWidget : public QAbstractButton {
public:
    QSize sizeHint() const override {
        const QSize caption = fontMetrics().size(Qt::TextSingleLine, text());
        const int frame = 2 * (kBevel + kPadding);
        return {caption.width() + frame, caption.height() + frame};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QPalette& pal = palette();
        const bool down = isDown();
        const QRect r = rect();
        p.fillRect(r, down ? pal.color(QPalette::Mid) : pal.color(QPalette::Button));
        const QColor light = pal.color(QPalette::Light);
        const QColor dark = pal.color(QPalette::Dark);
        p.setPen(down ? dark : light);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(down ? light : dark);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        p.setPen(
            pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.setFont(font());
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, text());
    }
};

QAbstractButton* Platform(const BevelButton& b) {
    return static_cast<QAbstractButton*>(b.Widget());
}

}  // namespace

BevelButton::BevelButton(Window& window, std::string name)
    : Control(window, std::move(name), new BevelButtonWidget) {
    QAbstractButton* button = Platform(*this);
    button->setFocusPolicy(Qt::NoFocus);
    SetTextFont(12);
    QObject::connect(button, &QAbstractButton::clicked, button, [this] {
        Deliver([this] {
            if (Action) Action(*this);
        });
    });
}

void BevelButton::SetCaption(const std::string& caption) {
    Platform(*this)->setText(ToQString(caption));
}

std::string BevelButton::Caption() const {
    return FromQString(Platform(*this)->text());
}

void BevelButton::Push() {
    Platform(*this)->click();  // nothing happens while it is disabled
}

}  // namespace fw
