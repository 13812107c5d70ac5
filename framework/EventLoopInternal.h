#pragma once

// The main loop's entry points for the rest of the layer: the sockets post their reports here,
// Thread hands its coroutine to the schedule, and the dispatcher says when a handler has returned.

#include <functional>

namespace fw {

class Coroutine;

// Queues work to run from the main loop, after the work queued before it.
void PostEvent(std::function<void()> work);

// A fresh run of c: it takes its first turn soon.
void ScheduleCoroutine(Coroutine& c);
// Forgets c (its thread is going away).
void UnscheduleCoroutine(Coroutine& c);
// Switches into c at once, as its resumer, so that a kill requested for it unwinds its stack now.
void ResumeToUnwind(Coroutine& c);
// The coroutine whose body runs now, or nullptr on the main thread.
Coroutine* CurrentCoroutine();

// A handler has returned: every waiting thread whose condition now holds goes on at once.
void WakeWaitingThreads();

}  // namespace fw
