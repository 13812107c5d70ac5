#include "Label.h"

#include <QEvent>
#include <QLabel>

#include "PlatformInternal.h"

namespace fw {

namespace {

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
};

QLabel* Platform(const Label& l) {
    return static_cast<QLabel*>(l.Widget());
}

}  // namespace

Label::Label(Window& window, std::string name) : Control(window, std::move(name), new LabelWidget) {
    QLabel* label = Platform(*this);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    label->setAutoFillBackground(true);  // opaque until made transparent
    SetTextFont(10);
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
