#pragma once

// The layer's own queue of posted events: reports of sockets, handed over to be delivered after the
// code that noticed them has returned. It is run, together with the cooperative threads' turns, in
// short slices of the event loop, so that a busy transfer moves on without a full pass of the
// platform's loop for every event and the user interface still gets its turn between slices.

#include <functional>

namespace fw {

// Queues work to run from the event loop, after the work queued before it.
void PostEvent(std::function<void()> work);
// Runs the work queued so far (not what it queues in turn).
void RunPostedEvents();
// One pass of the main thread's loop: the platform's pending events (after waiting for one when
// waitForEvent is set), then the posted work, then a turn for every thread that can go on.
void RunLoopPass(bool waitForEvent);
// Asks for a slice of the loop soon: at once when work is waiting, else after backstopMs (a
// negative value asks for nothing).
void ScheduleLoopSlice(int backstopMs);

}  // namespace fw
