#include "Label.h"

#include <QEvent>
#include <QLabel>
#include <algorithm>
#include <cmath>

#include "PlatformInternal.h"

namespace fw {

namespace {

// The contrast of the ink with the background (the lighter colour's relative luminance to the
// darker one's, each lifted by 0.05) that the web's readers' guidelines ask at their higher
// level: above the 4.5 of body text, since the pixels of thin strokes, a password's asterisks
// among them, are lighter than the ink.
constexpr double kReadableContrast = 7;

double Luminance(const QColor& c) {
    auto linear = [](int channel) {
        const double v = channel / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Mix(const QColor& from, const QColor& to, double t) {
    auto channel = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

// A disabled label's text: its ink faded toward the background, as far as it still reads. The
// platform's own grey for disabled text is drawn for controls that cannot be used; a label shows
// a value, and on a tinted panel that grey all but vanishes.
QColor DisabledInk(const QColor& ink, const QColor& background) {
    if (Contrast(ink, background) < kReadableContrast) return ink;
    double reads = 0;  // the share of the background that still reads
    double fades = 1;  // one that no longer does
    for (int step = 0; step < 12; ++step) {
        const double t = (reads + fades) / 2;
        (Contrast(Mix(ink, background, t), background) >= kReadableContrast ? reads : fades) = t;
    }
    return Mix(ink, background, reads);
}

// Clicks go through a label to what lies below it. A label with a help tag still takes the
// mouse's hover, so that its tag shows where the mouse rests; a click on it, which a plain label
// does not take, goes on to the label's container.
class LabelWidget : public QLabel {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ToolTipChange)
            setAttribute(Qt::WA_TransparentForMouseEvents, toolTip().isEmpty());
        return QLabel::event(e);
    }

    void changeEvent(QEvent* e) override {
        QLabel::changeEvent(e);
        if (e->type() == QEvent::PaletteChange) KeepDisabledInkReadable();
    }

public:
    // Follows the ink and the background, the container's fill included; setting the colour
    // here raises the change once more, which then finds the colour in place.
    void KeepDisabledInkReadable() {
        QPalette p = palette();
        const QColor ink = DisabledInk(p.color(QPalette::Active, QPalette::WindowText),
                                       p.color(QPalette::Disabled, QPalette::Window));
        if (p.color(QPalette::Disabled, QPalette::WindowText) == ink) return;
        p.setColor(QPalette::Disabled, QPalette::WindowText, ink);
        setPalette(p);
    }
};

QLabel* Platform(const Label& l) {
    return static_cast<QLabel*>(l.Widget());
}

}  // namespace

Label::Label(Window& window, std::string name) : Control(window, std::move(name), new LabelWidget) {
    auto* label = static_cast<LabelWidget*>(Platform(*this));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    label->setAutoFillBackground(true);  // opaque until made transparent
    SetTextFont(10);
    label->KeepDisabledInkReadable();
}

void Label::SetText(const std::string& text) {
    text_ = text;
    QString shown = ToQString(text);
    shown.replace("\r\n", "\n");
    shown.replace('\r', '\n');
    Platform(*this)->setText(shown);
}

void Label::SetTextColor(Color color) {
    QPalette p = Platform(*this)->palette();
    p.setColor(QPalette::WindowText, QColor(color.r, color.g, color.b));
    Platform(*this)->setPalette(p);
}

void Label::SetAlignment(Align align) {
    Qt::Alignment h = align == Align::Center  ? Qt::AlignHCenter
                      : align == Align::Right ? Qt::AlignRight
                                              : Qt::AlignLeft;
    Platform(*this)->setAlignment(h | Qt::AlignTop);
}

void Label::SetMultiline(bool multiline) {
    Platform(*this)->setWordWrap(multiline);
}

void Label::SetTransparent(bool transparent) {
    Platform(*this)->setAutoFillBackground(!transparent);
}

void Label::SetUnderline(bool underline) {
    QFont font = Platform(*this)->font();
    font.setUnderline(underline);
    Platform(*this)->setFont(font);
}

}  // namespace fw
