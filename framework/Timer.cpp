#include "Timer.h"

#include <QTimer>

#include "Event.h"

namespace fw {

struct Timer::Impl {
    QTimer timer;
};

Timer::Timer() : d(std::make_unique<Impl>()) {
    QObject::connect(&d->timer, &QTimer::timeout, &d->timer, [this] { Fire(); });
}

Timer::~Timer() = default;

void Timer::SetMode(int32_t mode) {
    if (mode == kModeSingle && mode_ == kModeSingle && pending_) return;  // already armed
    mode_ = mode;
    d->timer.stop();
    pending_ = false;
    if (mode == kModeOff) return;
    d->timer.setSingleShot(mode == kModeSingle);
    d->timer.start(period_ < 0 ? 0 : period_);
    pending_ = true;
}

void Timer::SetPeriod(int32_t ms) {
    period_ = ms;
}

void Timer::Reset() {
    if (pending_) d->timer.start(period_ < 0 ? 0 : period_);
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
