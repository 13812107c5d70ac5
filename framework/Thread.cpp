#include "Thread.h"

#include <cxxabi.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "EventDispatcher.h"
#include "PlatformInternal.h"
#include "PostedEvents.h"

#if defined(__x86_64__)
// Switching stacks by hand keeps a switch down to a few instructions: swapcontext also saves and
// restores the signal mask, a system call each way, and an upload switches four times per chunk.
// Saves the callee-saved registers and the floating-point control words on the current stack,
// stores the stack pointer in *from and continues on the stack whose pointer is to.
extern "C" void quillomar_switch_stack(void** from, void* to);
asm(R"(
    .text
    .globl quillomar_switch_stack
    .type quillomar_switch_stack,@function
    .align 16
quillomar_switch_stack:
    pushq %rbp
    pushq %rbx
    pushq %r12
    pushq %r13
    pushq %r14
    pushq %r15
    subq $8, %rsp
    stmxcsr (%rsp)
    fnstcw 4(%rsp)
    movq %rsp, (%rdi)
    movq %rsi, %rsp
    ldmxcsr (%rsp)
    fldcw 4(%rsp)
    addq $8, %rsp
    popq %r15
    popq %r14
    popq %r13
    popq %r12
    popq %rbx
    popq %rbp
    ret
    .size quillomar_switch_stack,.-quillomar_switch_stack
    .section .note.GNU-stack,"",@progbits
    .text
)");
#define QUILLOMAR_OWN_STACK_SWITCH 1
#endif

namespace fw {

namespace {

constexpr size_t kStackSize = 8 * 1024 * 1024;  // reserved lazily; only touched pages cost memory

enum class ThreadState { Idle, Runnable, Waiting, Finished };

// The C++ runtime keeps the exceptions being handled, and the count of those being thrown, per OS
// thread. Each coroutine needs its own: a thread that gives way inside a catch block would
// otherwise end, or rethrow, the exception the main thread is handling. The layout is the ABI's
// (__cxa_eh_globals, opaque in <cxxabi.h>).
struct ExceptionsInFlight {
    void* caughtExceptions = nullptr;
    unsigned int uncaughtExceptions = 0;
};

void SwapExceptionsInFlight(ExceptionsInFlight& other) {
    auto* mine = reinterpret_cast<ExceptionsInFlight*>(abi::__cxa_get_globals());
    std::swap(*mine, other);
}

}  // namespace

namespace {
Thread::Impl* g_starting = nullptr;  // handed to the entry function of a body being entered
}  // namespace

struct Thread::Impl {
    Thread* self = nullptr;
    ThreadState state = ThreadState::Idle;
    bool inside = false;   // its body is executing now
    bool started = false;  // its body has been entered since the last Run
    bool killRequested = false;
    std::function<bool()> waitCondition;
#if QUILLOMAR_OWN_STACK_SWITCH
    void* sp = nullptr;         // the body's stack pointer while it is switched out
    void* resumerSp = nullptr;  // the resumer's, while the body runs
#else
    ucontext_t context{};
    ucontext_t* resumer = nullptr;  // where the body returns to when it gives way
#endif
    void* stack = nullptr;
    size_t mappedSize = 0;
    ExceptionsInFlight exceptions;  // the body's, while it is switched out
    std::optional<std::string> escapedError;

    void FreeStack() {
        if (stack) munmap(stack, mappedSize);
        stack = nullptr;
    }
    bool Live() const {
        return state == ThreadState::Runnable || state == ThreadState::Waiting;
    }
    void RunBody() {
        self->Event_Run();
    }

    void SwitchIn() {
#if QUILLOMAR_OWN_STACK_SWITCH
        quillomar_switch_stack(&resumerSp, sp);
#else
        ucontext_t back;
        resumer = &back;
        swapcontext(&back, &context);
#endif
    }
    void SwitchOut() {
#if QUILLOMAR_OWN_STACK_SWITCH
        quillomar_switch_stack(&sp, resumerSp);
#else
        swapcontext(&context, resumer);
#endif
    }
};

class ThreadScheduler {
public:
    static ThreadScheduler& Get() {
        static ThreadScheduler scheduler;
        return scheduler;
    }

    Thread::Impl* current = nullptr;
    std::vector<Thread::Impl*> live;

    void Add(Thread::Impl* t) {
        if (std::find(live.begin(), live.end(), t) == live.end()) live.push_back(t);
        SchedulePump();
    }
    void Remove(Thread::Impl* t) {
        live.erase(std::remove(live.begin(), live.end(), t), live.end());
    }

    // Switches from the main thread into t until t gives way or ends.
    void Resume(Thread::Impl* t) {
        t->inside = true;
        if (!t->started) {
            t->started = true;
            g_starting = t;
        }
        Thread::Impl* previous = current;
        current = t;
        SwapExceptionsInFlight(t->exceptions);
        t->SwitchIn();
        SwapExceptionsInFlight(t->exceptions);
        current = previous;
        t->inside = false;
        if (t->state == ThreadState::Finished) {
            t->FreeStack();
            Remove(t);
            if (t->escapedError) {  // reported even when its message is empty
                std::string what = std::move(*t->escapedError);
                t->escapedError.reset();
                ReportUnhandledException(what);
            }
        }
    }

    // Switches from the running thread back to whoever resumed it.
    void YieldFromThread(Thread::Impl* t) {
        t->SwitchOut();
        if (t->killRequested) throw ThreadKilled{};
    }

    static bool CanGoOn(Thread::Impl* t) {
        if (t->inside) return false;
        if (t->state == ThreadState::Runnable) return true;
        return t->state == ThreadState::Waiting && t->waitCondition && t->waitCondition();
    }

    void RunTurns(bool waitingOnly) {
        if (current) return;  // only the main thread hands out turns
        std::vector<Thread::Impl*> snapshot = live;
        for (Thread::Impl* t : snapshot) {
            if (std::find(live.begin(), live.end(), t) == live.end()) continue;
            if (waitingOnly && t->state != ThreadState::Waiting) continue;
            if (CanGoOn(t)) Resume(t);
        }
        SchedulePump();
    }

    bool AnyIn(ThreadState state) const {
        for (Thread::Impl* t : live)
            if (t->state == state && !t->inside) return true;
        return false;
    }

    // Runnable threads take their turns in the loop's slices; waiting ones are woken after each
    // dispatched event, with a slow backstop for conditions that change outside of any event.
    void SchedulePump() { ScheduleLoopSlice(AnyIn(ThreadState::Waiting) ? 20 : -1); }

private:
    ThreadScheduler() {
        AddAfterDispatchHook([this] { RunTurns(true); });
    }
};

namespace {

void ThreadEntry() {
    Thread::Impl* t = g_starting;
    g_starting = nullptr;
    try {
        if (t->killRequested) throw ThreadKilled{};
        t->RunBody();
    } catch (const ThreadKilled&) {
    } catch (const std::exception& e) {
        t->escapedError = e.what();
    } catch (...) {
        t->escapedError = "unknown exception";
    }
    t->state = ThreadState::Finished;
    t->SwitchOut();  // never resumed again
}

}  // namespace

Thread::Thread() : d(std::make_unique<Impl>()) {
    d->self = this;
}

Thread::~Thread() {
    Kill();
    ThreadScheduler::Get().Remove(d.get());
    d->FreeStack();
}

void Thread::Run() {
    Kill();
    ThreadScheduler& s = ThreadScheduler::Get();
    size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    d->mappedSize = kStackSize + page;
    void* mem = mmap(nullptr, d->mappedSize, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (mem == MAP_FAILED) throw std::runtime_error("no memory for a thread stack");
    mprotect(mem, page, PROT_NONE);  // guard page: an overflow faults instead of corrupting
    d->stack = mem;
#if QUILLOMAR_OWN_STACK_SWITCH
    // The new stack looks as if quillomar_switch_stack had switched away from the start of
    // ThreadEntry: its saved words, then ThreadEntry as the return address, then a null return
    // address for ThreadEntry itself (which never returns).
    auto top =
        reinterpret_cast<uintptr_t>(static_cast<char*>(mem) + d->mappedSize) & ~uintptr_t{15};
    auto* words = reinterpret_cast<uint64_t*>(top);
    words[-1] = 0;
    words[-2] = reinterpret_cast<uint64_t>(&ThreadEntry);
    for (int i = 3; i <= 8; ++i) words[-i] = 0;  // rbp, rbx, r12 to r15
    uint32_t controlWords[2];
    asm volatile("stmxcsr %0" : "=m"(controlWords[0]));
    asm volatile("fnstcw %0" : "=m"(controlWords[1]));
    std::memcpy(&words[-9], controlWords, sizeof controlWords);
    d->sp = &words[-9];
#else
    getcontext(&d->context);
    d->context.uc_stack.ss_sp = static_cast<char*>(mem) + page;
    d->context.uc_stack.ss_size = kStackSize;
    d->context.uc_link = nullptr;
    makecontext(&d->context, ThreadEntry, 0);
#endif
    d->killRequested = false;
    d->started = false;
    d->escapedError.reset();
    d->exceptions = {};
    d->state = ThreadState::Runnable;
    s.Add(d.get());
}

void Thread::Kill() {
    if (!d->Live()) return;
    ThreadScheduler& s = ThreadScheduler::Get();
    if (s.current == d.get()) throw ThreadKilled{};
    d->killRequested = true;
    if (d->inside) return;  // it is further down this stack; it unwinds when it next gives way
    // Resume it so that its stack unwinds; a body not yet entered unwinds at once.
    s.Resume(d.get());
}

bool Thread::Running() const {
    return d->Live();
}

Thread* Thread::Current() {
    Thread::Impl* t = ThreadScheduler::Get().current;
    return t ? t->self : nullptr;
}

bool OnCooperativeThread() {
    return ThreadScheduler::Get().current != nullptr;
}

void RunCooperativeThreads() {
    ThreadScheduler::Get().RunTurns(false);
}

bool CooperativeThreadsRunnable() {
    return ThreadScheduler::Get().AnyIn(ThreadState::Runnable);
}

bool CooperativeThreadsWaiting() {
    return ThreadScheduler::Get().AnyIn(ThreadState::Waiting);
}

void GiveWay() {
    ThreadScheduler& s = ThreadScheduler::Get();
    if (Thread::Impl* t = s.current) {
        t->state = ThreadState::Runnable;
        t->waitCondition = nullptr;
        s.YieldFromThread(t);
        return;
    }
    RunLoopPass(false);
}

void GiveWayUntil(const std::function<bool()>& ready) {
    ThreadScheduler& s = ThreadScheduler::Get();
    if (Thread::Impl* t = s.current) {
        while (!ready()) {
            t->state = ThreadState::Waiting;
            t->waitCondition = ready;
            s.SchedulePump();
            s.YieldFromThread(t);
        }
        t->state = ThreadState::Runnable;
        t->waitCondition = nullptr;
        return;
    }
    while (!ready()) RunLoopPass(true);
}

}  // namespace fw
