#pragma once

#include "framework/Timer.h"

// How requests are handed to the main window's Timer3 (the mailbox pThreadStep holds what it is
// to do). A progress request waits the timer's 50 ms, so that one display update serves every
// chunk sent meanwhile; a step of the run (upload started, transfer done, phase done) is acted on
// at the next pass of the event loop.

constexpr int32_t kProgressPeriodMs = 50;

inline void ArmForStep(fw::Timer& timer) {
    timer.SetMode(fw::Timer::kModeOff);
    timer.SetPeriod(0);
    timer.SetMode(fw::Timer::kModeSingle);
}

inline void ArmForProgress(fw::Timer& timer) {
    if (timer.GetMode() == fw::Timer::kModeSingle) return;  // one action serves them all
    timer.SetPeriod(kProgressPeriodMs);
    timer.SetMode(fw::Timer::kModeSingle);
}
