#pragma once

#include <deque>
#include <functional>
#include <string>

namespace fw {

// Every event that comes from outside the program (sockets, timers, clicks, menu commands) enters
// through here. A source never runs its handler while its previous handler is still running: the
// event waits in the source's queue and runs right after. An exception that escapes a handler is
// shown in a message box and the loop goes on.
class EventSource {
public:
    EventSource() = default;
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;
    virtual ~EventSource();

    // Queues the handler and runs the queue now unless this source is already running one.
    void Deliver(std::function<void()> handler);
    bool Busy() const { return busy_; }

private:
    std::deque<std::function<void()>> queue_;
    bool busy_ = false;
    bool* destroyed_ = nullptr;
};

// Runs fn, catching whatever escapes it the way the event loop does.
void RunGuarded(const std::function<void()>& fn);

// What happens to an exception that escaped a handler. The default shows a message box; tests
// install their own to fail the test.
using UnhandledExceptionHook = std::function<void(const std::string& what)>;
void SetUnhandledExceptionHook(UnhandledExceptionHook hook);
void ReportUnhandledException(const std::string& what);

// Hooks run after every handler that came through a source; the cooperative threads use this to
// wake a thread whose wait condition may now hold.
void AddAfterDispatchHook(std::function<void()> hook);
void RunAfterDispatchHooks();

}  // namespace fw
