#include "PostedEvents.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <deque>

#include "PlatformInternal.h"
#include "Thread.h"

namespace fw {

namespace {

// How long one slice may keep the platform's loop waiting.
constexpr qint64 kSliceNanoseconds = 2'000'000;

std::deque<std::function<void()>>& Queue() {
    static std::deque<std::function<void()>> queue;
    return queue;
}

void RunSlice();

QTimer* Pump() {
    static QTimer* pump = nullptr;
    if (!pump && QCoreApplication::instance()) {
        pump = new QTimer(QCoreApplication::instance());
        QObject::connect(pump, &QTimer::timeout, RunSlice);
    }
    return pump;
}

bool WorkWaiting() {
    return !Queue().empty() || CooperativeThreadsRunnable();
}

void RunSlice() {
    QElapsedTimer clock;
    clock.start();
    do {
        RunPostedEvents();
        RunCooperativeThreads();
    } while (WorkWaiting() && clock.nsecsElapsed() < kSliceNanoseconds);
    ScheduleLoopSlice(CooperativeThreadsWaiting() ? 20 : -1);
}

}  // namespace

void PostEvent(std::function<void()> work) {
    Queue().push_back(std::move(work));
    ScheduleLoopSlice(-1);
}

void RunPostedEvents() {
    size_t count = Queue().size();
    for (size_t i = 0; i < count && !Queue().empty(); ++i) {
        std::function<void()> work = std::move(Queue().front());
        Queue().pop_front();
        work();
    }
}

void RunLoopPass(bool waitForEvent) {
    QCoreApplication::processEvents(waitForEvent ? QEventLoop::WaitForMoreEvents
                                                 : QEventLoop::AllEvents);
    RunPostedEvents();
    RunCooperativeThreads();
}

void ScheduleLoopSlice(int backstopMs) {
    QTimer* pump = Pump();
    if (!pump) return;
    int interval = WorkWaiting() ? 0 : backstopMs;
    if (interval < 0) {
        if (!WorkWaiting() && !CooperativeThreadsWaiting()) pump->stop();
        return;
    }
    if (!pump->isActive() || pump->interval() > interval) pump->start(interval);
}

}  // namespace fw
