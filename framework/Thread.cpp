#include "Thread.h"

#include "Coroutine.h"
#include "EventLoopInternal.h"

namespace fw {

// Every coroutine of the layer is a thread's, so the one running now leads back to its thread.
struct Thread::Impl : Coroutine {
    explicit Impl(Thread* thread) : Coroutine([thread] { thread->Event_Run(); }), self(thread) {}
    Thread* self;
};

Thread::Thread() : d(std::make_unique<Impl>(this)) {}

Thread::~Thread() {
    Kill();
    UnscheduleCoroutine(*d);
}

void Thread::Run() {
    Kill();
    d->Start();
    ScheduleCoroutine(*d);
}

void Thread::Kill() {
    if (!d->Alive()) return;
    if (CurrentCoroutine() == d.get()) throw ThreadKilled{};
    d->RequestKill();
    if (d->Inside()) return;  // it is further down this stack; it unwinds where it next gives way
    ResumeToUnwind(*d);       // a body not yet entered ends at once
}

bool Thread::Running() const {
    return d->Alive();
}

Thread* Thread::Current() {
    Coroutine* c = CurrentCoroutine();
    return c ? static_cast<Impl*>(c)->self : nullptr;
}

}  // namespace fw
