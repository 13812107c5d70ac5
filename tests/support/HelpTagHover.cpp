#include "tests/support/HelpTagHover.h"

#include <QTest>
#include <QToolTip>

#include "framework/EventLoop.h"

namespace testsupport {

bool TipShowsOver(fw::Control* control) {
    QToolTip::hideText();
    if (!fw::RunEventLoopUntil([] { return !QToolTip::isVisible(); }, 10000)) return false;
    QTest::mouseMove(control->Widget(), QPoint(3, 3));
    QTest::mouseMove(control->Widget(), QPoint(5, 5));
    return fw::RunEventLoopUntil(
        [&] {
            return QToolTip::isVisible() && QToolTip::text().toStdString() == control->HelpTag();
        },
        10000);
}

}  // namespace testsupport
