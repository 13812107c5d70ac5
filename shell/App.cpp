#include "shell/App.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/Screens.h"
#include "mainwindow/Window1.h"
#include "profiles/AboutPanel.h"
#include "shell/CommonModule.h"
#include "shell/SettingsFolder.h"

App::App() {
    Constructor();
}

App* App::Instance() {
    return dynamic_cast<App*>(fw::Application::Instance());
}

void App::Event_Open() {
    InitApp();
}

bool App::Event_CancelClose() {
    CloseApp();
    return false;  // the application never cancels a quit itself
}

bool App::_AppleAbout_Action() {
    AboutPanel::Instance()->Show();
    return true;
}

void App::InitApp() {
    InitGmtOffset();
    InitPref();
    switch (TakeSettingsFolder()) {
        case SettingsAtStart::Refused:
            Quit();  // nothing was read, so nothing is written
            return;
        case SettingsAtStart::FirstStart:  // the folder is empty: the defaults stand, silently
        case SettingsAtStart::Unread:
            InitFileType();
            break;
        case SettingsAtStart::Read:
            MakeSettingsFolderPrivate();
            RemoveAbandonedSettingsFiles();
            LoadPref();
            if (!LoadFileType()) InitFileType();
            LoadSet2();
            break;
    }
    // A quit may have come while a loader's message was up: it wrote nothing, and no main window
    // is made for a program that has quit.
    if (Quitting() || HasQuit()) return;
    settingsLoaded_ = true;
    if (gPref[PrefKeepWindowSize] == 1) ApplyStoredWindowBounds();
}

namespace {

// A title bar is at most this high, above the window's top; and this much of its length must lie
// on a screen for the user to take hold of it.
constexpr int32_t kTitleBarHeight = 32;
constexpr int32_t kTitleBarGrip = 100;

struct Bounds {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};

// The bounds nearest to the wanted ones at which the window fits a screen's available area below
// its title bar, and its title bar lies on that screen: its whole height, and at least a grip of
// its length. Stored bounds may come from a screen that is no longer there, or be damaged.
Bounds OnAScreen(const Bounds& wanted) {
    const std::vector<fw::ScreenArea> areas = fw::AvailableScreenAreas();
    Bounds best = wanted;
    int64_t bestShift = -1;
    for (const fw::ScreenArea& a : areas) {
        const int32_t width = std::clamp(wanted.width, 1, std::max(1, a.width));
        const int32_t height =
            std::clamp(wanted.height, 1, std::max(1, a.height - kTitleBarHeight));
        const int32_t grip = std::min(width, kTitleBarGrip);
        const int32_t leftMost = a.left + grip - width;
        const int32_t rightMost = std::max(leftMost, a.left + a.width - grip);
        const int32_t topMost = a.top + kTitleBarHeight;
        const int32_t bottomMost = std::max(topMost, a.top + a.height);
        const Bounds b{std::clamp(wanted.left, leftMost, rightMost),
                       std::clamp(wanted.top, topMost, bottomMost), width, height};
        const int64_t shift = std::llabs(int64_t{b.left} - wanted.left) +
                              std::llabs(int64_t{b.top} - wanted.top) +
                              std::llabs(int64_t{b.width} - wanted.width) +
                              std::llabs(int64_t{b.height} - wanted.height);
        if (bestShift < 0 || shift < bestShift) {
            best = b;
            bestShift = shift;
        }
    }
    return best;
}

}  // namespace

void App::ApplyStoredWindowBounds() {
    // Read every stored bound before applying any: applying one moves the window, and its Moved
    // handler writes the position slots. 0 means not stored.
    const int32_t left = gPref[PrefWindowLeft];
    const int32_t top = gPref[PrefWindowTop];
    const int32_t width = gPref[PrefWindowWidth];
    const int32_t height = gPref[PrefWindowHeight];
    if (left == 0 && top == 0 && width == 0 && height == 0) return;
    Window1* w = Window1::Instance();
    // Only a stored bound is brought onto a screen: the platform's own placement is kept.
    const Bounds onScreen =
        OnAScreen({left != 0 ? left : w->Left(), top != 0 ? top : w->Top(),
                   width != 0 ? width : w->Width(), height != 0 ? height : w->Height()});
    if (left != 0) w->SetLeft(onScreen.left);
    if (top != 0) w->SetTop(onScreen.top);
    if (width != 0) w->SetWidth(onScreen.width);
    if (height != 0) w->SetHeight(onScreen.height);
}

void App::CloseApp() {
    // A quit during start-up, before every file was loaded, would write back tables still half
    // empty: the files keep what they hold.
    if (!settingsLoaded_) return;
    // Only an open main window is read; none is made for it.
    Window1* w = fw::Window::FindOpen<Window1>();
    if (w && gPref[PrefKeepWindowSize] == 1) {
        gPref[PrefWindowWidth] = w->Width();
        gPref[PrefWindowHeight] = w->Height();
    }
    if (!SettingsFolderReadyForQuit()) return;
    // Each writer reports its own failure and leaves the next one to run.
    SavePref();
    SaveSet2();
    SaveFileType();
}
