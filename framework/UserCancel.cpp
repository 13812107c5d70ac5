#include "UserCancel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include "ModalHost.h"

namespace fw {

namespace {

// A press counts for a short while only: a long loop reads it within milliseconds, and an Escape
// typed long before an operation started must not cancel it.
constexpr qint64 kLatchLifetimeMs = 1500;

QElapsedTimer& LatchClock() {
    static QElapsedTimer clock;
    return clock;
}

bool& Latched() {
    static bool latched = false;
    return latched;
}

class CancelKeyFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && !ModalHost::Active()) {
            auto* key = static_cast<QKeyEvent*>(event);
            bool escape = key->key() == Qt::Key_Escape;
            bool ctrlPeriod =
                key->key() == Qt::Key_Period && (key->modifiers() & Qt::ControlModifier);
            if ((escape || ctrlPeriod) && !key->isAutoRepeat()) LatchUserCancel();
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void InstallCancelKeyFilter() {
    static CancelKeyFilter* filter = nullptr;
    if (filter || !qApp) return;
    filter = new CancelKeyFilter(qApp);
    qApp->installEventFilter(filter);
}

void LatchUserCancel() {
    Latched() = true;
    LatchClock().start();
}

void ClearUserCancelled() {
    Latched() = false;
}

bool UserCancelPending() {
    return Latched();
}

bool UserCancelled() {
    if (!Latched()) return false;
    Latched() = false;
    return LatchClock().elapsed() <= kLatchLifetimeMs;
}

}  // namespace fw
