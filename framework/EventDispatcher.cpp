#include "EventDispatcher.h"

#include <exception>

#include "EventLoopInternal.h"
#include "Thread.h"

namespace fw {

EventSource::~EventSource() {
    if (destroyed_) *destroyed_ = true;
}

void EventSource::Deliver(std::function<void()> handler) {
    queue_.push_back(std::move(handler));
    if (busy_) return;  // runs when the handler that is running now has returned
    busy_ = true;
    bool destroyed = false;
    destroyed_ = &destroyed;
    while (!queue_.empty()) {
        std::function<void()> next = std::move(queue_.front());
        queue_.pop_front();
        try {
            RunGuarded(next);
        } catch (const ThreadKilled&) {
            // The handler ran on a thread that is being killed. The source must take events
            // again; those that are queued run with its next one, not on the dying thread.
            if (!destroyed) {
                busy_ = false;
                destroyed_ = nullptr;
            }
            throw;
        }
        // After every handler, not once the queue is empty: a thread waiting for what this handler
        // did must not wait for the handlers queued behind it.
        WakeWaitingThreads();
        if (destroyed) return;  // a handler destroyed this source; its queue went with it
    }
    busy_ = false;
    destroyed_ = nullptr;
}

void RunGuarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const ThreadKilled&) {
        throw;  // unwinds a cooperative thread; never an error
    } catch (const std::exception& e) {
        ReportUnhandledException(e.what());
    } catch (...) {
        ReportUnhandledException("unknown exception");
    }
}

}  // namespace fw
