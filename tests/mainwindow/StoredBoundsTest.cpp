// Stored window bounds may come from a screen that is no longer there, or be damaged: a stored size
// is cut to the screen's available area below the title bar, and a stored position moved, as
// little as it takes, so that the title bar lies on a screen. (The offscreen platform has one
// screen, 800 x 800 at 0, 0.)

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <vector>

#include "framework/EventLoop.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

using namespace shelltest;

class StoredBoundsTest : public ShellTest {};

// The offscreen platform places a window's frame, not its content, at a left of 0 or less, so each
// setting of the position there shifts the content by the frame's 2 pixels; start-up sets the left
// and then the top.
constexpr int32_t kFrame = 4;

TEST_F(StoredBoundsTest, BoundsOffTheScreensAreBroughtBackOntoOne) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(screen, QRect(0, 0, 800, 800));
    StartApp();
    const int32_t designLeft = MainWindow()->Left();
    const int32_t designTop = MainWindow()->Top();
    EndRun();

    struct Case {
        const char* what;
        int32_t left, top, width, height;  // 0: not stored
        int32_t expectLeft, expectTop, expectWidth, expectHeight;
    };
    // The main window is at least 800 x 600.
    const std::vector<Case> cases = {
        {"on the screen", 150, 120, 0, 650, 150, 120, 800, 650},
        {"partly off the screen, the bar within reach", 150, 120, 0, 0, 150, 120, 800, 600},
        {"at the right edge, a grip of the bar showing", 700, 799, 0, 0, 700, 799, 800, 600},
        {"beyond the right and the bottom", 3000, 2000, 1000, 0, 700, 800, 800, 600},
        {"far to the left", -5000, 120, 900, 0, -700, 120, 800, 600},
        {"the bar above the screen's top", 150, 5, 0, 0, 150, 32, 800, 600},
        {"a negative top", 150, -300, 0, 0, 150, 32, 800, 600},
        {"only the top stored: the left stays where the platform put it", 0, 5000, 0, 0, designLeft,
         800, 800, 600},
        {"only the left stored", -9000, 0, 0, 0, -700, designTop, 800, 600},
        // A size the screen can't hold is cut to its area, the height below the title bar.
        {"two million pixels", 150, 120, 2000000, 2000000, 150, 120, 800, 768},
        {"only the size stored, too large", 0, 0, 2000000, 2000000, designLeft, designTop, 800,
         768},
        {"a size a little too large", 0, 0, 801, 769, designLeft, designTop, 800, 768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(FolderPath());
        std::vector<int32_t> prefs = DefaultPrefs();
        prefs[PrefKeepWindowSize] = 1;
        prefs[PrefWindowLeft] = c.left;
        prefs[PrefWindowTop] = c.top;
        prefs[PrefWindowWidth] = c.width;
        prefs[PrefWindowHeight] = c.height;
        Put("pref2", PrefFile(50, prefs));
        StartApp();
        Window1* w = MainWindow();
        ASSERT_NE(w, nullptr);
        EXPECT_NEAR(w->Left(), c.expectLeft, kFrame);
        EXPECT_EQ(w->Top(), c.expectTop);
        EXPECT_EQ(w->Width(), c.expectWidth);
        EXPECT_EQ(w->Height(), c.expectHeight);
        // The window's Moved keeps the slots in step with where it stands.
        if (c.left != 0) {
            EXPECT_EQ(gPref[PrefWindowLeft], w->Left());
        }
        if (c.top != 0) {
            EXPECT_EQ(gPref[PrefWindowTop], w->Top());
        }
        // Quit stores the size the window has, not the one that was stored.
        app().Quit();
        fw::ProcessPendingEvents();
        EXPECT_EQ(Get("pref2").substr(4 + 4 * PrefWindowWidth, 8),
                  Int32(c.expectWidth) + Int32(c.expectHeight));
        EndRun();
    }
}

}  // namespace
