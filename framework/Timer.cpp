#include "Timer.h"

#include <QDeadlineTimer>
#include <QTimer>

#include "Event.h"

namespace fw {

namespace {

int Milliseconds(int32_t period) {
    return period < 0 ? 0 : period;
}

}  // namespace

// Resetting a pending single shot only moves the moment it is due: restarting the platform timer
// costs far more, and a transfer resets its watchdog for every chunk. A shot that comes before its
// moment is armed again for the rest.
struct Timer::Impl {
    QTimer timer;
    QDeadlineTimer due;  // of a single shot
    bool moved = false;  // Reset moved the moment since the platform timer was armed
};

Timer::Timer() : d(std::make_unique<Impl>()) {
    QObject::connect(&d->timer, &QTimer::timeout, &d->timer, [this] {
        if (d->moved) {
            d->moved = false;
            qint64 left = d->due.remainingTime();
            if (left > 0) {
                d->timer.start(static_cast<int>(left));
                return;
            }
        }
        Fire();
    });
}

Timer::~Timer() = default;

void Timer::SetMode(int32_t mode) {
    if (mode == kModeSingle && mode_ == kModeSingle && pending_) return;  // already armed
    mode_ = mode;
    d->timer.stop();
    d->moved = false;
    pending_ = false;
    if (mode == kModeOff) return;
    d->timer.setSingleShot(mode == kModeSingle);
    d->timer.start(Milliseconds(period_));
    pending_ = true;
}

void Timer::SetPeriod(int32_t ms) {
    period_ = ms;
}

void Timer::Reset() {
    if (!pending_) return;
    if (mode_ != kModeSingle) {
        d->timer.start(Milliseconds(period_));
        return;
    }
    d->due = QDeadlineTimer(Milliseconds(period_), Qt::PreciseTimer);
    d->moved = true;
}

void Timer::Fire() {
    if (mode_ == kModeSingle) {
        // A single shot is over once it fires; its action may arm it again.
        mode_ = kModeOff;
        pending_ = false;
    }
    Deliver([this] { RaiseEvent(Action, *this); });
}

}  // namespace fw
