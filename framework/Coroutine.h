#pragma once

// The stack switch under a cooperative thread: a body that runs on a stack of its own, on the main
// OS thread, and switches back to whoever resumed it. The layer's main loop decides when a
// coroutine runs; Thread is the program's handle on one.

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace fw {

class Coroutine {
public:
    explicit Coroutine(std::function<void()> body);
    Coroutine(const Coroutine&) = delete;
    Coroutine& operator=(const Coroutine&) = delete;
    ~Coroutine();

    // Prepares a fresh run of the body on a new stack; the body is entered at the next Resume.
    // Only while no run is alive.
    void Start();
    // Switches into the body until it suspends itself or ends.
    void Resume();
    // From inside the body: switches back to the resumer, to go on at the next Resume. Throws
    // ThreadKilled when a kill has been requested, before or while it was switched out.
    void Suspend();
    // The body unwinds (ThreadKilled) where it next suspends, or at once when it is resumed; a
    // body not yet entered never runs.
    void RequestKill() { killRequested_ = true; }
    bool KillRequested() const { return killRequested_; }

    bool Alive() const;                      // started and not yet ended
    bool Inside() const { return inside_; }  // its body is executing now (maybe further down)
    // What escaped the body when it ended with an exception (its message, possibly empty); given
    // out once.
    std::optional<std::string> TakeEscapedError();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    bool inside_ = false;
    bool killRequested_ = false;
};

}  // namespace fw
