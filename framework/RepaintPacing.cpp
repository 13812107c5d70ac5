#include "RepaintPacing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QVariant>

namespace fw {

namespace {

constexpr qint64 kFrameMs = 16;
constexpr char kLastPaint[] = "fwLastPaintMs";
constexpr char kPaintPending[] = "fwPaintPending";

// A widget's repaint comes as an update request to its window. One that comes within a frame of
// the last is held back, and one request is made again at the end of that frame.
class RepaintPacer : public QObject {
public:
    explicit RepaintPacer(QObject* parent) : QObject(parent) { clock_.start(); }

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() != QEvent::UpdateRequest || !target->isWidgetType()) return false;
        const qint64 now = clock_.elapsed();
        const QVariant last = target->property(kLastPaint);
        if (!last.isValid() || now - last.toLongLong() >= kFrameMs) {
            target->setProperty(kLastPaint, now);
            return false;  // painted now
        }
        if (!target->property(kPaintPending).toBool()) {
            target->setProperty(kPaintPending, true);
            const int wait = static_cast<int>(kFrameMs - (now - last.toLongLong()));
            QTimer::singleShot(wait, target, [target] {
                target->setProperty(kPaintPending, false);
                QCoreApplication::postEvent(target, new QEvent(QEvent::UpdateRequest));
            });
        }
        return true;
    }

private:
    QElapsedTimer clock_;
};

}  // namespace

void InstallRepaintPacing(QCoreApplication* app) {
    app->installEventFilter(new RepaintPacer(app));
}

}  // namespace fw
