#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "Event.h"
#include "EventDispatcher.h"

namespace fw {

// A timer of the program's own model: Period in milliseconds, Mode 0 off, 1 single shot,
// 2 repeating. Its Action arrives through the event dispatcher on the main thread.
class Timer : public EventSource {
public:
    enum Mode : int32_t { kModeOff = 0, kModeSingle = 1, kModeMultiple = 2 };

    Timer();
    ~Timer() override;

    // Setting the mode arms or stops the timer. Arming a single shot that is already pending
    // leaves it as it is; arming it from inside its own action schedules one more action.
    void SetMode(int32_t mode);
    int32_t GetMode() const { return mode_; }
    // A new period takes effect the next time the timer is armed.
    void SetPeriod(int32_t ms);
    int32_t GetPeriod() const { return period_; }
    void Reset();  // restarts a pending countdown from the full period

    std::function<void(Timer&)> Action;

private:
    void Fire();
    struct Impl;
    std::unique_ptr<Impl> d;
    int32_t mode_ = kModeOff;
    int32_t period_ = 1000;
    bool pending_ = false;
};

}  // namespace fw
