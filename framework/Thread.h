#pragma once

#include <memory>

#include "EventLoop.h"  // GiveWay, GiveWayUntil

namespace fw {

// Thrown inside a cooperative thread to unwind its stack when the thread is killed. Code that runs
// on a thread must let it pass: catch it only to rethrow it.
struct ThreadKilled {};

// A cooperative thread: a coroutine with its own stack on the main OS thread. It runs only where
// the main thread gives way (and from the idle pump), and runs until it gives way itself, so the
// program's threads never work at the same time and need no locks.
class Thread {
public:
    Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    virtual ~Thread();

    // Starts the thread's body (Event_Run) from the beginning; returns at once. A thread that is
    // still running is killed first.
    void Run();
    // Stops the thread: its stack is unwound (ThreadKilled) and Event_Run does not go on.
    void Kill();
    bool Running() const;

    // The thread whose body is executing now, or nullptr on the main thread.
    static Thread* Current();

    struct Impl;

protected:
    virtual void Event_Run() = 0;

private:
    std::unique_ptr<Impl> d;
};

}  // namespace fw
