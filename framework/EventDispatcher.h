#pragma once

#include <deque>
#include <functional>
#include <string>

#include "UnhandledException.h"

namespace fw {

// Every event that comes from outside the program (sockets, timers, clicks, menu commands) enters
// through here. A source never runs its handler while its previous handler is still running: the
// event waits in the source's queue and runs right after. An exception that escapes a handler is
// shown in a message box and the loop goes on. After every handler the main loop looks whether a
// cooperative thread waiting for what the handler did can go on.
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

}  // namespace fw
