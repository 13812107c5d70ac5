// The main window's own events: its start-up step, closing and quitting without a transfer, the
// deferred work it stops as it goes, the quit that never makes a main window, and the menu
// commands it serves.

#include <gtest/gtest.h>

#include <QDialog>
#include <QTimer>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/MenuBar.h"
#include "framework/Toolbar.h"
#include "framework/ToolbarItem.h"
#include "framework/ToolbarSegmentedControl.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

using namespace shelltest;

class WindowEventsTest : public ShellTest {
protected:
    Window1& Start() {
        Put("pref2", PrefFile(50, DefaultPrefs()));
        StartApp();
        EXPECT_NE(MainWindow(), nullptr);
        return *MainWindow();
    }
    // Runs the event loop until a timer longer than any of the window's has fired (the status
    // timer's 500 ms is the longest): timers fire in the order they are due, so one of the window's
    // armed before it has had its turn by then, however loaded the machine.
    static void LetTimersRun() {
        bool done = false;
        QTimer::singleShot(600, [&done] { done = true; });
        fw::RunEventLoopUntil([&done] { return done; }, 20000);
    }
};

TEST_F(WindowEventsTest, StartUpListsTheProfilesAndSwitchesOffSixButtons) {
    MakeFolder();
    NewApp();
    gDatasets = {Profile("one"), Profile("two")};
    app().SaveSet2();
    EndRun();
    Window1& w = Start();
    ASSERT_EQ(w.ListBox1->ListCount(), 2);
    EXPECT_EQ(w.ListBox1->Cell(1, 0), "two");
    EXPECT_EQ(w.ListBox1->ColumnWidths(), "100%,0");
    EXPECT_FALSE(w.getList);
    EXPECT_FALSE(w.closing);
    fw::Toolbar* bar = fw::Toolbar::Of(w);
    ASSERT_NE(bar, nullptr);
    std::vector<std::pair<int32_t, bool>> states;
    for (fw::ToolbarItem* item : bar->VisibleItems())
        if (auto* c = dynamic_cast<fw::ToolbarSegmentedControl*>(item->View()))
            states.emplace_back(c->TagForSegment(0), item->Enabled());
    EXPECT_EQ(states, (std::vector<std::pair<int32_t, bool>>{{101, false},
                                                             {111, false},
                                                             {121, false},
                                                             {131, false},
                                                             {401, false},
                                                             {411, false},
                                                             {201, true},
                                                             {301, true}}));
}

// Without a data connection nothing is asked: the window shuts its control connection (once) and
// the quit goes on.
TEST_F(WindowEventsTest, QuitWithoutATransferAsksNothing) {
    for (bool alreadyClosing : {false, true}) {
        SCOPED_TRACE(alreadyClosing);
        Window1& w = Start();
        w.closing = alreadyClosing;
        app().Quit();
        EXPECT_TRUE(app().HasQuit());
        EXPECT_TRUE(w.closing);
        EXPECT_TRUE(fw::ModalHost::Shown().empty());
        EXPECT_EQ(FolderNames(), (std::vector<std::string>{"dataset2", "filetype.txt", "pref2"}));
        EndRun();
        fs::remove_all(FolderPath());
    }
}

// Work the window handed over to its timers does not run once it lets itself close, not even
// while the quit still shows a message.
TEST_F(WindowEventsTest, TimersStopWhenTheWindowGoes) {
    Window1& w = Start();
    std::vector<std::string> fired;
    for (auto [timer, name] : {std::pair{&w.Timer1, "Timer1"}, std::pair{&w.Timer2, "Timer2"},
                               std::pair{&w.Timer3, "Timer3"}}) {
        timer->Action = [&fired, name = std::string(name)](fw::Timer&) { fired.push_back(name); };
        timer->SetMode(fw::Timer::kModeSingle);
    }
    w.statusTimer.Action = [&fired, &w](fw::Timer&) {
        if (w.IsClosed()) fired.push_back("statusTimer");
    };
    fs::remove(PathOf("pref2"));
    fs::create_directories(PathOf("pref2"));  // its writer's message holds the quit mid-way
    fw::ModalHost::ExpectStep([](const fw::ModalPrompt&) {
        LetTimersRun();
        return fw::ModalAnswer::Press("OK");
    });
    app().Quit();
    EXPECT_TRUE(app().HasQuit());
    EXPECT_EQ(Shown("msgbox").size(), 1u);
    LetTimersRun();
    EXPECT_TRUE(fired.empty()) << testing::PrintToString(fired);
}

// A quit that comes while start-up shows a loader's message: the message ends with it (nobody is
// left to answer it), the tables are not all loaded yet, so nothing is written, and no main window
// is made, neither for the stored size nor as the default window.
TEST_F(WindowEventsTest, AQuitDuringStartUpWritesNothingAndMakesNoWindow) {
    MakeFolder();
    NewApp();
    gDatasets = {Profile("kept")};
    app().SaveSet2();
    EndRun();
    const std::string profiles = Get("dataset2");
    // Cut short after slot 11: reported while loading, with the window's size to keep in it.
    std::vector<int32_t> prefs = DefaultPrefs();
    prefs[PrefKeepWindowSize] = 1;
    prefs[PrefWindowWidth] = 900;
    prefs.resize(PrefKeepWindowSize + 1);
    Put("pref2", PrefFile(50, prefs) + std::string("\0\0", 2));
    fw::ModalHost::ExpectStep([this](const fw::ModalPrompt& p) {
        EXPECT_NE(p.message.find("pref2"), std::string::npos);
        app().Quit();  // a session logout, say
        return fw::ModalAnswer(fw::ModalAnswer::Action::Custom, "", [](QDialog* box) {
            EXPECT_FALSE(box->isVisible()) << "the message outlived the quit";
            box->reject();
        });
    });
    StartApp();
    EXPECT_EQ(fw::ModalHost::PendingSteps(), 0u);
    EXPECT_TRUE(app().HasQuit());
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_TRUE(fw::Window::OpenWindows().empty());
    EXPECT_EQ(Get("dataset2"), profiles);
    EXPECT_FALSE(Has("filetype.txt"));
}

// Quitting with no main window open reads no window size and makes no window.
TEST_F(WindowEventsTest, AQuitWithoutAMainWindowMakesNone) {
    std::vector<int32_t> prefs = DefaultPrefs();
    prefs[PrefKeepWindowSize] = 1;
    Put("pref2", PrefFile(50, prefs));
    NewApp().InitApp();
    ASSERT_EQ(MainWindow(), nullptr);
    app().Quit();
    EXPECT_TRUE(app().HasQuit());
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_EQ(Get("pref2"), PrefFile(50, prefs));  // no size stored
}

TEST_F(WindowEventsTest, MenuCommandsAnswerHandledAndTheirItemsAreEnabled) {
    Window1& w = Start();
    fw::MenuBar* bar = w.GetMenuBar();
    ASSERT_NE(bar, nullptr);
    for (const char* name : {"FileSaveLog", "EditPreferences"}) bar->Find(name)->Enabled = false;
    w.Event_EnableMenuItems();
    EXPECT_TRUE(bar->Find("FileSaveLog")->Enabled);
    EXPECT_TRUE(bar->Find("EditPreferences")->Enabled);

    ExpectPress("キャンセル");  // the preferences dialog
    EXPECT_TRUE(w.HandleMenu("EditPreferences"));
    EXPECT_EQ(Shown("window").size(), 1u);
    // Saving the log and the sync list answer handled whatever their save dialogs are told.
    for (const char* name : {"FileSaveLog", "FileSaveSyncList"}) {
        fw::ModalHost::Expect(fw::ModalAnswer::Cancel());
        EXPECT_TRUE(w.HandleMenu(name)) << name;
        fw::ModalHost::EndScript();
        fw::ModalHost::BeginScript();
    }
}

}  // namespace
