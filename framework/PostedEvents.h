#pragma once

// Work handed over to run later from the main loop, after the code that queued it has returned:
// the sockets' reports. A plain queue; the main loop decides when it runs.

#include <deque>
#include <functional>

namespace fw {

class PostedEvents {
public:
    void Push(std::function<void()> work) { queue_.push_back(std::move(work)); }
    bool Empty() const { return queue_.empty(); }
    // Runs the work queued so far, in order; what it queues in turn waits for the next run.
    void RunQueued();

private:
    std::deque<std::function<void()>> queue_;
};

}  // namespace fw
