#include "tests/support/EventWait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace testsupport {

bool WaitUntil(const std::function<bool()>& cond, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QTimer wake;  // ends each blocking wait below, so the deadline is seen in time
    wake.start(10);
    while (!cond()) {
        if (deadline.hasExpired()) return cond();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace testsupport
