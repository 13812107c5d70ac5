// A window repaints at most once a frame, and what changed last is always painted.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QWidget>

#include "framework/EventLoop.h"
#include "tests/support/EventWait.h"

namespace {

class PaintCount : public QObject {
public:
    int paints = 0;
    QString lastPainted;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            lastPainted = static_cast<QLabel*>(watched)->text();
        }
        return false;
    }
};

TEST(RepaintPacing, ChangesWithinAFrameArePaintedTogetherAndTheLastOneAlways) {
    QWidget window;
    auto* label = new QLabel("start", &window);
    window.resize(300, 100);
    window.show();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return label->isVisible(); }));
    fw::ProcessPendingEvents();

    PaintCount count;
    label->installEventFilter(&count);
    QElapsedTimer clock;
    clock.start();
    constexpr int kChanges = 300;
    for (int i = 0; i < kChanges; ++i) {
        label->setText(QString::number(i));
        fw::ProcessPendingEvents();  // a pass of the loop after every change, as a busy run has
    }
    // At most one paint a frame of the time the changes took: a slow machine only loosens the
    // bound, and unpaced, each change was painted: 300.
    const qint64 elapsed = clock.elapsed();
    EXPECT_LE(count.paints, elapsed / 16 + 2) << "in " << elapsed << " ms";

    ASSERT_TRUE(testsupport::WaitUntil([&] { return count.lastPainted == "299"; }))
        << count.lastPainted.toStdString();
}

}  // namespace
