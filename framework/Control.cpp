#include "Control.h"

#include <QEvent>
#include <QResizeEvent>
#include <QWidget>
#include <algorithm>

#include "ControlLayout.h"
#include "PlatformInternal.h"
#include "Window.h"

namespace fw {

Control::Control(Window& window, std::string name, QWidget* widget)
    : window_(window), name_(std::move(name)), widget_(widget) {
    widget_->setParent(window_.Widget());
    widget_->setObjectName(ToQString(name_));
    ControlLayout::Register(widget_, this);
}

Control::~Control() {
    ControlLayout::Register(widget_, nullptr);
}

void Control::Place(const ControlPlacement& p) {
    container_ = p.container;
    page_ = p.page;
    locks_ = p.locks;
    tab_ = p.tab;
    QWidget* parent = container_ ? container_->ContentWidget(page_) : window_.Widget();
    if (container_) container_->contained_.push_back(this);
    ControlLayout::Watch(parent);
    QPoint origin =
        parent == window_.Widget() ? QPoint(0, 0) : parent->mapTo(window_.Widget(), QPoint(0, 0));
    if (widget_->parentWidget() != parent) widget_->setParent(parent);
    widget_->setVisible(visible_);
    widget_->setGeometry(p.left - origin.x(), p.top - origin.y(), p.width, p.height);
}

namespace {

QPoint WindowOrigin(const QWidget* w, const QWidget* content) {
    return w->parentWidget() == content || !w->parentWidget()
               ? QPoint(0, 0)
               : w->parentWidget()->mapTo(content, QPoint(0, 0));
}

}  // namespace

int32_t Control::Left() const {
    return widget_->x() + WindowOrigin(widget_, window_.Widget()).x();
}
int32_t Control::Top() const {
    return widget_->y() + WindowOrigin(widget_, window_.Widget()).y();
}
int32_t Control::Width() const {
    return widget_->width();
}
int32_t Control::Height() const {
    return widget_->height();
}

void Control::SetLeft(int32_t v) {
    widget_->move(v - WindowOrigin(widget_, window_.Widget()).x(), widget_->y());
}
void Control::SetTop(int32_t v) {
    widget_->move(widget_->x(), v - WindowOrigin(widget_, window_.Widget()).y());
}
void Control::SetWidth(int32_t v) {
    widget_->resize(std::max(0, v), widget_->height());
}
void Control::SetHeight(int32_t v) {
    widget_->resize(widget_->width(), std::max(0, v));
}
void Control::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    QPoint origin = WindowOrigin(widget_, window_.Widget());
    widget_->setGeometry(left - origin.x(), top - origin.y(), std::max(0, width),
                         std::max(0, height));
}

bool Control::Enabled() const {
    return widget_->isEnabled();
}
void Control::SetEnabled(bool enabled) {
    widget_->setEnabled(enabled);
}

void Control::SetVisible(bool visible) {
    visible_ = visible;
    widget_->setVisible(visible);
}

bool Control::Shown() const {
    return visible_ && widget_->isVisibleTo(window_.Widget());
}

void Control::SetHelpTag(const std::string& text) {
    helpTag_ = text;
    widget_->setToolTip(ToQString(text));
}

void Control::SetTextFont(double points, bool bold, bool italic) {
    textSize_ = points;
    QFont f = widget_->font();
    f.setPixelSize(std::max(1, static_cast<int>(points + 0.5)));
    f.setBold(bold);
    f.setItalic(italic);
    widget_->setFont(f);
}

void Control::SetFocus() {
    widget_->setFocus(Qt::OtherFocusReason);
}
bool Control::HasFocus() const {
    return widget_->hasFocus();
}
bool Control::TakesFocus() const {
    return widget_->focusPolicy() != Qt::NoFocus;
}

void Control::Refresh() {
    widget_->update();
}

QWidget* Control::ContentWidget(int32_t /*page*/) const {
    return widget_;
}

}  // namespace fw
