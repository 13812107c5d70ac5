#include "EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "PostedEvents.h"

namespace fw {

void ProcessPendingEvents() {
    RunLoopPass(false);
}

bool RunEventLoopUntil(const std::function<bool()>& cond, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QTimer wake;  // bounds each wait, so the timeout and cond are checked regularly
    wake.start(10);
    while (!cond()) {
        if (clock.elapsed() > timeoutMs) return false;
        RunLoopPass(true);
    }
    return true;
}

}  // namespace fw
