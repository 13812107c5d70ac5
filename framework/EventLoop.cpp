#include "EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "Thread.h"

namespace fw {

void ProcessPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    RunCooperativeThreads();
}

bool RunEventLoopUntil(const std::function<bool()>& cond, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QTimer wake;  // bounds each wait, so the timeout and cond are checked regularly
    wake.start(10);
    while (!cond()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        RunCooperativeThreads();
    }
    return true;
}

}  // namespace fw
