#include "EventLoop.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <span>
#include <utility>
#include <vector>

#include "Coroutine.h"
#include "EventLoopInternal.h"
#include "PostedEvents.h"
#include "UnhandledException.h"

namespace fw {

namespace {

// How long one slice of the pump may keep the platform's loop waiting.
constexpr qint64 kSliceNanoseconds = 2'000'000;

// The one owner of a pass of the main loop and of the cooperative threads' turns. Below it: the
// coroutines (the stack switch), the queue of posted work, and the platform's loop. Everything
// else tells it what happened (a thread was started, work was posted, a handler returned) and it
// decides what runs next.
//
// A thread that gives way is runnable; the pump then runs slices of posted work and turns from
// the platform's loop until no work is left, and stops. A thread that waits for a condition costs
// nothing: it is looked at after every dispatched handler, after every turn of another thread, and
// whenever the platform's loop is about to sleep, which covers whatever else may have changed its
// condition (a click, a key, a socket's state): all of it runs on the main thread, from the loop.
class MainLoop {
public:
    static MainLoop& Get() {
        static MainLoop loop;
        return loop;
    }

    Coroutine* Current() const { return current_; }

    void Schedule(Coroutine& c) {
        if (Turn* t = Find(c))
            t->waitingFor = nullptr;
        else
            turns_.push_back({&c, nullptr});
        ArmPump(true);
    }

    void Unschedule(Coroutine& c) {
        turns_.erase(std::remove_if(turns_.begin(), turns_.end(),
                                    [&](const Turn& t) { return t.coroutine == &c; }),
                     turns_.end());
    }

    void Resume(Coroutine& c) {
        Coroutine* resumer = std::exchange(current_, &c);
        c.Resume();
        current_ = resumer;
        if (c.Alive()) return;
        Unschedule(c);
        if (std::optional<std::string> what = c.TakeEscapedError())
            ReportUnhandledException(*what);  // reported even when its message is empty
    }

    // From the running coroutine c: back to its resumer, runnable again or waiting for ready.
    void Yield(Coroutine& c, const std::function<bool()>* ready) {
        if (Turn* t = Find(c)) t->waitingFor = ready ? *ready : nullptr;
        if (!ready) ArmPump(true);
        c.Suspend();
        if (Turn* t = Find(c)) t->waitingFor = nullptr;  // running again
    }

    // Every thread that can go on takes one turn, in the order they were started. Only the main
    // thread hands out turns.
    void RunTurns(bool waitingOnly) {
        if (current_ || turns_.empty()) return;
        // The order is taken first: a turn may start, end or destroy threads. Mostly there are
        // few, and this runs for every chunk of a transfer: no allocation for them.
        constexpr size_t kFew = 8;
        Coroutine* few[kFew];
        std::vector<Coroutine*> many;
        Coroutine** order = few;
        const size_t count = turns_.size();
        if (count > kFew) {
            many.resize(count);
            order = many.data();
        }
        for (size_t i = 0; i < count; ++i) order[i] = turns_[i].coroutine;
        for (Coroutine* c : std::span(order, count)) {
            const Turn* t = Find(*c);  // an earlier turn may have ended or destroyed it
            if (!t || (waitingOnly && !t->waitingFor) || !CanGoOn(*t)) continue;
            Resume(*c);
        }
    }

    void Post(std::function<void()> work) {
        posted_.Push(std::move(work));
        ArmPump(true);
    }

    // One pass: the platform's events (after waiting for one when wait is set), then the posted
    // work, then a turn for every thread that can go on.
    void Pass(bool wait) {
        QCoreApplication::processEvents(wait ? QEventLoop::WaitForMoreEvents
                                             : QEventLoop::AllEvents);
        posted_.RunQueued();
        RunTurns(false);
        ArmPump(false);
    }

    // Runs the pump while work is waiting (knownWork: the caller knows there is some), stops it
    // otherwise.
    void ArmPump(bool knownWork) {
        QTimer* pump = Pump();
        if (!pump) return;
        if (knownWork || WorkWaiting()) {
            if (!pump->isActive()) pump->start(0);
        } else {
            pump->stop();
        }
    }

private:
    struct Turn {
        Coroutine* coroutine;
        std::function<bool()> waitingFor;  // empty while it is runnable
    };

    Turn* Find(const Coroutine& c) {
        for (Turn& t : turns_)
            if (t.coroutine == &c) return &t;
        return nullptr;
    }

    static bool CanGoOn(const Turn& t) {
        if (t.coroutine->Inside()) return false;
        if (t.coroutine->KillRequested() || !t.waitingFor) return true;
        return t.waitingFor();
    }

    bool WorkWaiting() const {
        if (!posted_.Empty()) return true;
        if (current_) return false;  // turns are handed out once the main thread is back
        return std::any_of(turns_.begin(), turns_.end(), CanGoOn);
    }

    // A slice of the loop: posted work and turns, again and again while there is some, for a
    // short while at most, so that a busy transfer moves on without a full pass of the platform's
    // loop per event and the user interface still gets its turn between slices.
    void Slice() {
        QElapsedTimer clock;
        clock.start();
        do {
            posted_.RunQueued();
            RunTurns(false);
        } while (WorkWaiting() && clock.nsecsElapsed() < kSliceNanoseconds);
        ArmPump(false);
    }

    QTimer* Pump() {
        if (!pump_ && QCoreApplication::instance()) {
            pump_ = new QTimer(QCoreApplication::instance());
            QObject::connect(pump_, &QTimer::timeout, pump_, [this] { Slice(); });
            // The loop sleeps only after it has handled what came in: whatever that changed is
            // looked at before it does.
            if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
                QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, pump_,
                                 [this] { ArmPump(false); });
        }
        return pump_;
    }

    std::vector<Turn> turns_;
    Coroutine* current_ = nullptr;
    PostedEvents posted_;
    QPointer<QTimer> pump_;
};

}  // namespace

void PostEvent(std::function<void()> work) {
    MainLoop::Get().Post(std::move(work));
}

void ScheduleCoroutine(Coroutine& c) {
    MainLoop::Get().Schedule(c);
}

void UnscheduleCoroutine(Coroutine& c) {
    MainLoop::Get().Unschedule(c);
}

void ResumeToUnwind(Coroutine& c) {
    MainLoop::Get().Resume(c);
}

Coroutine* CurrentCoroutine() {
    return MainLoop::Get().Current();
}

void WakeWaitingThreads() {
    MainLoop::Get().RunTurns(true);
}

void ProcessPendingEvents() {
    MainLoop::Get().Pass(false);
}

bool RunEventLoopUntil(const std::function<bool()>& cond, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    // Bounds each wait: cond may depend on what no event announces (a file another process
    // writes), and the time must be seen to be up.
    QTimer wake;
    wake.start(10);
    while (!cond()) {
        if (deadline.hasExpired()) return false;
        MainLoop::Get().Pass(true);
    }
    return true;
}

void GiveWay() {
    MainLoop& loop = MainLoop::Get();
    if (Coroutine* c = loop.Current()) {
        loop.Yield(*c, nullptr);
        return;
    }
    loop.Pass(false);
}

void GiveWayUntil(const std::function<bool()>& ready) {
    MainLoop& loop = MainLoop::Get();
    if (Coroutine* c = loop.Current()) {
        while (!ready()) loop.Yield(*c, &ready);
        return;
    }
    while (!ready()) loop.Pass(true);
}

bool OnCooperativeThread() {
    return MainLoop::Get().Current() != nullptr;
}

void RunCooperativeThreads() {
    MainLoop& loop = MainLoop::Get();
    loop.RunTurns(false);
    loop.ArmPump(false);
}

}  // namespace fw
