#pragma once

// What the event loop delivers in the main thread, from this object's making on: timer events,
// and paints (of one widget, when given).

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace testsupport {

class EventCount : public QObject {
public:
    explicit EventCount(QObject* painted = nullptr) : painted_(painted) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~EventCount() override { QCoreApplication::instance()->removeEventFilter(this); }

    int timers = 0;
    int paints = 0;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        timers += event->type() == QEvent::Timer;
        paints += event->type() == QEvent::Paint && (!painted_ || target == painted_);
        return false;
    }

private:
    QObject* painted_;
};

}  // namespace testsupport
