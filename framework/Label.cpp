#include "Label.h"

#include <QLabel>
#include <algorithm>

#include "PlatformInternal.h"
#include "Window.h"

namespace fw {

struct Label::Impl {
    QLabel* label = nullptr;
    std::string text;
};

Label::Label(Window& window, int32_t left, int32_t top, int32_t width, int32_t height)
    : d(std::make_unique<Impl>()) {
    d->label = new QLabel(window.Widget());
    d->label->setGeometry(left, top, width, height);
    d->label->setAttribute(Qt::WA_TransparentForMouseEvents);
    d->label->setTextFormat(Qt::PlainText);
    d->label->show();
}

Label::~Label() = default;  // the window's widget owns the platform label

void Label::SetText(const std::string& text) {
    d->text = text;
    QString shown = ToQString(text);
    shown.replace("\r\n", "\n");
    shown.replace('\r', '\n');
    d->label->setText(shown);
}

std::string Label::Text() const {
    return d->text;
}

void Label::SetFont(double points, bool bold, bool italic) {
    QFont f = d->label->font();
    // The program's layouts were made where a point is a pixel: sizing the text in pixels keeps
    // it inside the controls drawn for it.
    f.setPixelSize(std::max(1, static_cast<int>(points + 0.5)));
    f.setBold(bold);
    f.setItalic(italic);
    d->label->setFont(f);
}

void Label::SetTextColor(int r, int g, int b) {
    QPalette p = d->label->palette();
    p.setColor(QPalette::WindowText, QColor(r, g, b));
    d->label->setPalette(p);
}

void Label::SetAlignment(Align a) {
    Qt::Alignment h = a == Align::Center  ? Qt::AlignHCenter
                      : a == Align::Right ? Qt::AlignRight
                                          : Qt::AlignLeft;
    d->label->setAlignment(h | Qt::AlignTop);
}

void Label::SetEnabled(bool e) {
    d->label->setEnabled(e);
}
void Label::SetVisible(bool v) {
    d->label->setVisible(v);
}
int32_t Label::Left() const {
    return d->label->x();
}
int32_t Label::Width() const {
    return d->label->width();
}
void Label::SetLeft(int32_t v) {
    d->label->move(v, d->label->y());
}

}  // namespace fw
