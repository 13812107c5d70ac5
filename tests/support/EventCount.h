#pragma once

// What the event loop delivers in the main thread, from this object's making on: timer events,
// with the class of what got them, and paints (of one widget, when given).

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <map>
#include <string>

namespace testsupport {

class EventCount : public QObject {
public:
    explicit EventCount(QObject* painted = nullptr) : painted_(painted) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~EventCount() override { QCoreApplication::instance()->removeEventFilter(this); }

    int timers = 0;
    int paints = 0;
    std::map<std::string, int> timed;  // what the timer events went to

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            ++timers;
            ++timed[target->metaObject()->className()];
        }
        paints += event->type() == QEvent::Paint && (!painted_ || target == painted_);
        return false;
    }

private:
    QObject* painted_;
};

}  // namespace testsupport
