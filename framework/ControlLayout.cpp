#include "ControlLayout.h"

#include <QEvent>
#include <QObject>
#include <QVariant>
#include <QWidget>

#include "Control.h"

namespace fw {

namespace {

constexpr char kControlProperty[] = "quillomarControl";
constexpr char kWatchedProperty[] = "quillomarLockLayout";

// Applies the change of its holder's size to the holder's controls. The size is tracked here, not
// taken from the resize event, so that a holder that the platform sizes before it is shown (a
// window's content area) moves nothing until its size really changes from the one the controls
// were placed at.
class LockFollower : public QObject {
public:
    explicit LockFollower(QWidget* holder)
        : QObject(holder), holder_(holder), size_(holder->size()) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == holder_ && event->type() == QEvent::Resize) Follow();
        return false;
    }

private:
    void Follow() {
        const QSize now = holder_->size();
        const int dw = now.width() - size_.width();
        const int dh = now.height() - size_.height();
        size_ = now;
        if (dw == 0 && dh == 0) return;
        for (QObject* child : holder_->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            Control* c = w ? ControlLayout::ControlOf(w) : nullptr;
            if (!c) continue;
            QRect g = w->geometry();
            const int locks = c->Locks();
            if ((locks & LockLeft) && (locks & LockRight))
                g.setWidth(std::max(0, g.width() + dw));
            else if (locks & LockRight)
                g.moveLeft(g.left() + dw);
            if ((locks & LockTop) && (locks & LockBottom))
                g.setHeight(std::max(0, g.height() + dh));
            else if (locks & LockBottom)
                g.moveTop(g.top() + dh);
            w->setGeometry(g);
        }
    }

    QWidget* holder_;
    QSize size_;
};

}  // namespace

void ControlLayout::Register(QWidget* widget, Control* control) {
    widget->setProperty(kControlProperty, QVariant::fromValue(reinterpret_cast<quintptr>(control)));
}

Control* ControlLayout::ControlOf(const QWidget* widget) {
    QVariant v = widget->property(kControlProperty);
    return v.isValid() ? reinterpret_cast<Control*>(v.value<quintptr>()) : nullptr;
}

void ControlLayout::Watch(QWidget* holder) {
    if (holder->property(kWatchedProperty).isValid()) return;
    auto* follower = new LockFollower(holder);
    holder->installEventFilter(follower);
    holder->setProperty(kWatchedProperty, true);
}

}  // namespace fw
