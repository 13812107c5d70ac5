// What the program draws and shows without input: progress bars, rectangles and canvases.
#include <gtest/gtest.h>

#include <QAbstractAnimation>
#include <QEventLoop>
#include <QImage>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <utility>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Graphics.h"
#include "framework/ProgressBar.h"
#include "framework/Rectangle.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

class DisplayControlsTest : public ControlTest {
protected:
    static QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }
    static QColor Of(fw::Color c) { return QColor(c.r, c.g, c.b); }
};

TEST_F(DisplayControlsTest, AProgressBarWithoutAMaximumShowsThatWorkGoesOn) {
    fw::ProgressBar* bar =
        Add<fw::ProgressBar>("ProgressBar1", {.left = 10, .top = 10, .width = 200, .height = 18});
    auto* platform = PlatformOf<QProgressBar>(bar);
    EXPECT_EQ(bar->Maximum(), 100);
    EXPECT_EQ(platform->maximum(), 100);

    struct Case {
        int32_t maximum, value;
        int shownMaximum, shownValue;
    };
    const Case cases[] = {
        {100, 40, 100, 40}, {1000, 1000, 1000, 1000},
        {50, 70, 50, 50},  // beyond the end: shown full
        {0, 10, 0, 0},     // busy
        {-5, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.maximum << " " << c.value);
        bar->SetMaximum(c.maximum);
        bar->SetValue(c.value);
        EXPECT_EQ(bar->Value(), c.value);
        EXPECT_EQ(platform->minimum(), 0);
        EXPECT_EQ(platform->maximum(), c.shownMaximum);
        if (c.shownMaximum > 0) {
            EXPECT_EQ(platform->value(), c.shownValue);
        }
    }
}

// The busy indicator moves while work goes on; once the bar has a measure again (the idle state is
// a maximum of 1 and a value of 0), nothing moves: an idle program neither paints nor wakes for it.
TEST_F(DisplayControlsTest, ABarAtRestStopsItsBusyAnimation) {
    fw::ProgressBar* bar =
        Add<fw::ProgressBar>("ProgressBar1", {.left = 10, .top = 10, .width = 200, .height = 18});
    QWidget* platform = bar->Widget();
    struct Counter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    platform->installEventFilter(&counter);
    // The loop left alone for a while, as an idle program's is: nothing may be painted in it
    // however long it is, where the busy indicator left running painted every frame.
    auto idle = [](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    };
    for (int32_t rest : {1, 100}) {
        SCOPED_TRACE(rest);
        bar->SetMaximum(0);
        counter.paints = 0;
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return counter.paints >= 3; }, 10000))
            << "the busy indicator moves";
        bar->SetMaximum(rest);
        bar->SetValue(0);
        counter.paints = 0;
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return counter.paints >= 1; }, 10000))
            << "the change itself is painted";
        counter.paints = 0;
        idle(500);
        EXPECT_EQ(counter.paints, 0);
        EXPECT_TRUE(platform->findChildren<QAbstractAnimation*>().isEmpty());
    }
}

TEST_F(DisplayControlsTest, ARectangleFillsAndDrawsItsTwoBorderColours) {
    fw::Rectangle* r =
        Add<fw::Rectangle>("Rectangle4", {.left = 20, .top = 20, .width = 60, .height = 40});
    const fw::Color fill = fw::RGB(224, 224, 224), topLeft = fw::RGB(177, 0, 0),
                    bottomRight = fw::RGB(0, 0, 178);
    r->SetFillColor(fill);
    r->SetBorderColors(topLeft, bottomRight);
    for (int width : {1, 3}) {
        SCOPED_TRACE(width);
        r->SetBorderWidth(width);
        const QImage image = r->Widget()->grab().toImage();
        EXPECT_EQ(At(image, 30, 20), Of(fill));
        EXPECT_EQ(At(image, 30, width - 1), Of(topLeft));       // top
        EXPECT_EQ(At(image, width - 1, 20), Of(topLeft));       // left
        EXPECT_EQ(At(image, 30, 40 - width), Of(bottomRight));  // bottom
        EXPECT_EQ(At(image, 60 - width, 20), Of(bottomRight));  // right
        EXPECT_EQ(At(image, 30, width), Of(fill));
    }
    r->SetBorderWidth(0);
    EXPECT_EQ(At(r->Widget()->grab().toImage(), 0, 0), Of(fill));
    EXPECT_EQ(r->FillColor(), fill);
    EXPECT_EQ(r->TopLeftColor(), topLeft);
    EXPECT_EQ(r->BottomRightColor(), bottomRight);
}

TEST_F(DisplayControlsTest, ACanvasIsDrawnByItsPaintEventAndTakesItsClicks) {
    fw::Canvas* canvas =
        Add<fw::Canvas>("canvas", {.left = 50, .top = 50, .width = 100, .height = 80});
    fw::Color color = fw::RGB(255, 0, 0);
    int paints = 0;
    canvas->Paint = [&](fw::Canvas&, fw::Graphics& g) {
        ++paints;
        EXPECT_EQ(g.Width(), 100);
        EXPECT_EQ(g.Height(), 80);
        g.ForeColor = color;
        g.FillRect(10, 10, 20, 20);
    };
    std::vector<std::pair<int, int>> downs;
    canvas->MouseDown = [&](fw::Canvas&, int32_t x, int32_t y) {
        downs.emplace_back(x, y);
        return true;
    };
    QImage image = canvas->Widget()->grab().toImage();
    EXPECT_GT(paints, 0);
    EXPECT_EQ(At(image, 15, 15), QColor(255, 0, 0));

    color = fw::RGB(0, 128, 0);
    canvas->Refresh();
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] { return At(canvas->Widget()->grab().toImage(), 15, 15) == QColor(0, 128, 0); }, 5000));

    QTest::mouseClick(canvas->Widget(), Qt::LeftButton, {}, QPoint(7, 9));
    fw::ProcessPendingEvents();
    EXPECT_EQ(downs, (std::vector<std::pair<int, int>>{{7, 9}}));
    EXPECT_TRUE(window->clicks.empty()) << "the window below does not get the canvas's click";
}

}  // namespace
