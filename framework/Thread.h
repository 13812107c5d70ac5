#pragma once

#include <functional>
#include <memory>

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

// Gives way once. On a cooperative thread: switch back to the main thread, to be resumed at its
// next turn. On the main thread: process pending events (re-entrantly) and let every runnable
// thread take a turn.
void GiveWay();

// Gives way until ready() holds. A waiting thread is not resumed until its condition holds, so a
// thread waiting for a socket costs nothing while it waits and goes on as soon as the event that
// makes the condition true has been handled.
void GiveWayUntil(const std::function<bool()>& ready);

bool OnCooperativeThread();

// Runs the main thread's share of the scheduler: every thread that can go on takes one turn.
// Called by GiveWay and by the idle pump; tests may call it directly.
void RunCooperativeThreads();

}  // namespace fw
