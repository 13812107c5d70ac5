#pragma once

#include <functional>

namespace fw {

// The main loop: the platform's events, the work the sockets have posted, and the turns of the
// cooperative threads, all in one pass.

// One pass: handles every event that is waiting, then returns.
void ProcessPendingEvents();
// Runs the event loop until cond holds or timeoutMs has passed; answers whether cond held.
bool RunEventLoopUntil(const std::function<bool()>& cond, int timeoutMs);

// Gives way once. On a cooperative thread: switch back to the main thread, to be resumed at its
// next turn. On the main thread: process pending events (re-entrantly) and let every thread that
// can go on take a turn.
void GiveWay();

// Gives way until ready() holds. A waiting thread is not resumed until its condition holds: it
// costs nothing while it waits and goes on as soon as the event that makes the condition true has
// been handled. ready() is asked whenever the loop looks, so it must not change anything itself;
// a condition that only the passing of time makes true needs a Timer whose action wakes it.
void GiveWayUntil(const std::function<bool()>& ready);

bool OnCooperativeThread();

// The main thread's share of the schedule: every thread that can go on takes one turn. Called by
// GiveWay and by the idle pump; tests may call it directly.
void RunCooperativeThreads();

}  // namespace fw
