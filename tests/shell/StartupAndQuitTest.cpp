// A run of the program as a whole: start-up loads the settings in its fixed order and applies the
// stored window bounds, quit stores the window size and writes the three settings files.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/MenuBar.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

using namespace shelltest;

int OpenMainWindows() {
    int n = 0;
    for (fw::Window* w : fw::Window::OpenWindows())
        if (dynamic_cast<Window1*>(w)) ++n;
    return n;
}

std::string BuiltInFileTypeLines() {
    return "html\tA\nhtm\tA\nshtml\tA\nphp\tA\ncss\tA\ntxt\tA\nxml\tA\nrdf\tA\nexp\tA\njs\tA\n"
           "jpg\tI\ngif\tI\npng\tI\nsit\tI\nbin\tI\nzip\tI\ndmg\tI\nlzh\tI\ngz\tI\n";
}

class StartupAndQuitTest : public ShellTest {
protected:
    // Quits through the application's quit path and waits until it is over.
    void Quit() {
        app().Quit();
        fw::ProcessPendingEvents();
    }
    // "pref2" with the defaults and the given bounds.
    static std::string PrefsWithBounds(int32_t keep, int32_t left, int32_t top, int32_t width,
                                       int32_t height) {
        std::vector<int32_t> v = DefaultPrefs();
        v[PrefKeepWindowSize] = keep;
        v[PrefWindowLeft] = left;
        v[PrefWindowTop] = top;
        v[PrefWindowWidth] = width;
        v[PrefWindowHeight] = height;
        return PrefFile(50, v);
    }
    // Where the main window opens when nothing moves it: one run of its own, ended again.
    std::pair<int32_t, int32_t> DesignPosition() {
        StartApp();
        std::pair<int32_t, int32_t> position{MainWindow()->Left(), MainWindow()->Top()};
        EndRun();
        fs::remove_all(FolderPath());
        return position;
    }
};

TEST_F(StartupAndQuitTest, FirstStartCreatesThePrivateFolderSilentlyAndUsesTheDefaults) {
    NewApp().InitApp();
    EXPECT_EQ(CurrentPrefs(), DefaultPrefs());
    EXPECT_EQ(MainWindow(), nullptr);  // the bounds step left the window alone
    EXPECT_TRUE(fs::is_directory(FolderPath()));
    EXPECT_EQ(ModeOf(FolderPath()), 0700u);
    EXPECT_TRUE(FolderNames().empty());  // nothing is written before quit
    ASSERT_EQ(gFileTypes.size(), 19u);
    EXPECT_EQ(gFileTypes.front().ext, "html");
    EXPECT_EQ(gFileTypes.back().ext, "gz");
    EXPECT_TRUE(gDatasets.empty());
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

// A folder left open by an earlier version or by hand would let another user replace the profiles.
TEST_F(StartupAndQuitTest, AnExistingSettingsFolderIsMadePrivateAgainSilently) {
    for (const fs::perms mode : {fs::perms(0755), fs::perms(0777), fs::perms(0700)}) {
        SCOPED_TRACE(static_cast<int>(mode));
        Put("pref2", PrefFile(50, DefaultPrefs()));
        fs::permissions(FolderPath(), mode);
        NewApp().InitApp();
        EXPECT_EQ(ModeOf(FolderPath()), 0700u);
        EXPECT_TRUE(fw::ModalHost::Shown().empty());
        EndRun();
    }
}

// A folder whose mode can't be changed (here on a read-only mount, which stops root too) is named
// in a message; start-up goes on.
TEST_F(StartupAndQuitTest, ASettingsFolderThatCantBeMadePrivateIsNamedInAMessage) {
    Put("pref2", PrefFile(50, DefaultPrefs()));
    fs::permissions(FolderPath(), fs::perms(0777));
    const std::string home = ConfigHome();
    if (unshare(CLONE_NEWNS) != 0 ||
        mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(home.c_str(), home.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, home.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        GTEST_SKIP() << "needs a mount namespace of its own (root)";
    ExpectPress("OK");
    NewApp().InitApp();
    const std::vector<fw::ModalPrompt> shown = Shown("msgbox");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].message.find(FolderPath()), std::string::npos) << shown[0].message;
    EXPECT_EQ(ModeOf(FolderPath()), 0777u);
    EXPECT_EQ(CurrentPrefs(), DefaultPrefs());
    umount(home.c_str());
}

TEST_F(StartupAndQuitTest, DefaultWindowOpensWithItsDesignSize) {
    StartApp();
    ASSERT_NE(MainWindow(), nullptr);
    EXPECT_EQ(OpenMainWindows(), 1);
    EXPECT_TRUE(MainWindow()->Visible());
    EXPECT_EQ(MainWindow()->Title(), "Quillomar");
    EXPECT_EQ(MainWindow()->Width(), 800);
    EXPECT_EQ(MainWindow()->Height(), 600);
    EXPECT_EQ(MainWindow()->GetMenuBar(), MenuBar1::Instance());
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

TEST_F(StartupAndQuitTest, FolderWithoutPreferencesFileShowsExactlyOneMessage) {
    MakeFolder();
    ExpectPress("OK");
    StartApp();
    ASSERT_EQ(fw::ModalHost::Shown().size(), 1u);
    EXPECT_EQ(fw::ModalHost::Shown()[0].kind, "msgbox");
    EXPECT_EQ(fw::ModalHost::Shown()[0].message,
              "初期設定ファイルがありません。デフォルトの設定で起動します。");
    EXPECT_EQ(gFileTypes.size(), 19u);
    EXPECT_NE(MainWindow(), nullptr);
}

TEST_F(StartupAndQuitTest, QuitWritesTheThreeFilesAndTheNextRunReadsThem) {
    StartApp();
    ASSERT_NE(MainWindow(), nullptr);
    std::vector<int32_t> expected = DefaultPrefs();
    expected[PrefWindowLeft] = gPref[PrefWindowLeft];  // kept current by the window's Moved
    expected[PrefWindowTop] = gPref[PrefWindowTop];
    expected[PrefWindowWidth] = 800;
    expected[PrefWindowHeight] = 600;
    Quit();

    EXPECT_TRUE(app().HasQuit());
    EXPECT_TRUE(fw::Window::OpenWindows().empty());
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"dataset2", "filetype.txt", "pref2"}));
    EXPECT_EQ(Get("pref2"), PrefFile(50, expected));
    EXPECT_EQ(Get("dataset2"), Int32(-1));
    EXPECT_EQ(Get("filetype.txt"), BuiltInFileTypeLines());
    for (const char* name : {"pref2", "dataset2", "filetype.txt"})
        EXPECT_EQ(ModeOf(PathOf(name)), 0600u) << name;
    EXPECT_TRUE(fw::ModalHost::Shown().empty());

    EndRun();
    StartApp();
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
    EXPECT_EQ(gFileTypes.size(), 19u);
    EXPECT_TRUE(gDatasets.empty());
    EXPECT_EQ(MainWindow()->Width(), 800);
    EXPECT_EQ(MainWindow()->Height(), 600);
}

TEST_F(StartupAndQuitTest, ProfilesOfTheOlderFileAreWrittenToTheNewOneAtQuit) {
    Put("pref2", PrefFile(50, DefaultPrefs()));
    Dataset a = Profile("alpha", "clear-a"), b = Profile("ベータ", "clear-b");
    a.EOL = b.EOL = "unix";
    const std::string oldFile = Int32(1) + EncodeOldProfile(a) + EncodeOldProfile(b);
    Put("dataset", oldFile);
    StartApp();
    ASSERT_EQ(gDatasets.size(), 2u);
    ExpectSameProfile(gDatasets[0], a);
    ExpectSameProfile(gDatasets[1], b);
    Quit();

    std::vector<StoredProfile> stored = DecodeProfiles(Get("dataset2"));
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].eol, "unix");
    EXPECT_EQ(stored[1].name, "ベータ");
    EXPECT_EQ(stored[0].cipher.find("clear-a"), std::string::npos);
    EXPECT_EQ(Get("dataset"), oldFile);  // never written

    // The next run reads the new file, whatever the old one holds.
    Put("dataset", Int32(0) + EncodeOldProfile(Profile("other")));
    EndRun();
    StartApp();
    ASSERT_EQ(gDatasets.size(), 2u);
    ExpectSameProfile(gDatasets[0], a);
    ExpectSameProfile(gDatasets[1], b);
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

// A damaged file is reported once and start-up goes on with the next step; quit rewrites the file
// but the damaged one is kept aside.
TEST_F(StartupAndQuitTest, DamagedPreferencesDoNotStopStartUp) {
    MakeFolder();
    NewApp();
    gDatasets = {Profile("kept", "pw")};
    app().SaveSet2();
    EndRun();
    Put("filetype.txt", "txt\tI\n");
    // Slots 1 and 2 are the window's stored position (kept by default): one on the screen.
    const std::string damaged = PrefFile(50, {5, 60, 70}) + std::string("\0\0", 2);
    Put("pref2", damaged);

    ExpectPress("OK");
    StartApp();
    ASSERT_EQ(fw::ModalHost::Shown().size(), 1u);
    EXPECT_NE(fw::ModalHost::Shown()[0].message.find("pref2"), std::string::npos);
    EXPECT_EQ(gPref[0], 5);
    EXPECT_EQ(gPref[2], 70);
    EXPECT_EQ(gPref[PrefBeepOnDialog], 1);
    ASSERT_EQ(gFileTypes.size(), 1u);
    EXPECT_EQ(gFileTypes[0].bin, "I");
    ASSERT_EQ(gDatasets.size(), 1u);
    EXPECT_EQ(gDatasets[0].Pass, "pw");
    EXPECT_NE(MainWindow(), nullptr);

    Quit();
    EXPECT_EQ(Get("pref2").size(), 208u);
    EXPECT_EQ(Get("pref2.bak"), damaged);
}

// One writer failing (a folder stands where its file goes) is reported; the writers after it run.
// Each case is a run of its own: a quit ends the platform's event loops for the rest of the
// process.
class FailingWriterTest : public StartupAndQuitTest,
                          public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(FailingWriterTest, IsReportedAndTheOthersStillWrite) {
    const std::vector<std::string> files = {"pref2", "dataset2", "filetype.txt"};
    const std::vector<std::string>& blocked = GetParam();
    Put("pref2", PrefFile(50, DefaultPrefs()));
    StartApp();
    for (const std::string& name : blocked) {
        fs::remove(PathOf(name));
        fs::create_directories(PathOf(name));
        ExpectPress("OK");
    }
    Quit();
    EXPECT_TRUE(app().HasQuit());
    EXPECT_EQ(fw::ModalHost::PendingSteps(), 0u);
    const auto boxes = Shown("msgbox");
    ASSERT_EQ(boxes.size(), blocked.size());
    for (size_t i = 0; i < blocked.size(); ++i)  // in the writers' order
        EXPECT_NE(boxes[i].message.find("「" + blocked[i] + "」"), std::string::npos)
            << boxes[i].message;
    for (const std::string& name : files) {
        const bool isBlocked = std::find(blocked.begin(), blocked.end(), name) != blocked.end();
        EXPECT_EQ(fs::is_directory(PathOf(name)), isBlocked) << name;
        if (!isBlocked) {
            EXPECT_FALSE(Get(name).empty()) << name;
        }
    }
    // No temporary file is left behind.
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"dataset2", "filetype.txt", "pref2"}));
}

INSTANTIATE_TEST_SUITE_P(
    Writers, FailingWriterTest,
    testing::Values(std::vector<std::string>{"pref2"}, std::vector<std::string>{"dataset2"},
                    std::vector<std::string>{"filetype.txt"},
                    std::vector<std::string>{"pref2", "dataset2", "filetype.txt"}),
    [](const testing::TestParamInfo<std::vector<std::string>>& info) {
        if (info.param.size() > 1) return std::string("All");
        std::string name = info.param[0];
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

// Every way to quit takes the one quit path: the settings are written once and the run ends. The
// file-type writer is made to fail so that each run of the writers shows up as one message.
enum class QuitCommand { MenuItem, PlatformMenuAction, CtrlQ, CloseBox };

class QuitCommandTest : public StartupAndQuitTest, public testing::WithParamInterface<QuitCommand> {
protected:
    static void Give(QuitCommand command) {
        QWidget* window = MainWindow()->Widget()->window();
        switch (command) {
            case QuitCommand::MenuItem:
                fw::ChooseMenuItem("FileQuit");
                return;
            case QuitCommand::PlatformMenuAction: {
                auto* bar = window->findChild<QMenuBar*>();
                ASSERT_NE(bar, nullptr);
                auto* action = bar->findChild<QAction*>("FileQuit");
                ASSERT_NE(action, nullptr);
                action->trigger();
                return;
            }
            case QuitCommand::CtrlQ:
                QTest::keyClick(window, Qt::Key_Q, Qt::ControlModifier);
                return;
            case QuitCommand::CloseBox:
                window->close();
                return;
        }
    }
};

TEST_P(QuitCommandTest, WritesTheSettingsOnce) {
    Put("pref2", PrefFile(50, DefaultPrefs()));
    StartApp();
    fs::create_directories(PathOf("filetype.txt"));
    ExpectPress("OK");
    Give(GetParam());
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return app().HasQuit(); }, 5000));
    EXPECT_EQ(Shown("msgbox").size(), 1u);
    EXPECT_EQ(fw::ModalHost::PendingSteps(), 0u);
    EXPECT_EQ(Get("pref2").size(), 208u);
    EXPECT_EQ(Get("dataset2"), Int32(-1));
    EXPECT_TRUE(fw::Window::OpenWindows().empty());
}

INSTANTIATE_TEST_SUITE_P(Commands, QuitCommandTest,
                         testing::Values(QuitCommand::MenuItem, QuitCommand::PlatformMenuAction,
                                         QuitCommand::CtrlQ, QuitCommand::CloseBox),
                         [](const testing::TestParamInfo<QuitCommand>& info) -> std::string {
                             switch (info.param) {
                                 case QuitCommand::MenuItem:
                                     return "MenuItem";
                                 case QuitCommand::PlatformMenuAction:
                                     return "PlatformMenuAction";
                                 case QuitCommand::CtrlQ:
                                     return "CtrlQ";
                                 case QuitCommand::CloseBox:
                                     return "CloseBox";
                             }
                             return "Unknown";
                         });

TEST_F(StartupAndQuitTest, QuitRequestedDuringTheQuitIsIgnored) {
    Put("pref2", PrefFile(50, DefaultPrefs()));
    StartApp();
    fs::remove(PathOf("pref2"));
    fs::create_directories(PathOf("pref2"));  // its writer's message holds the quit mid-way
    bool asked = false;
    fw::ModalHost::ExpectStep([&](const fw::ModalPrompt&) {
        asked = true;
        app().Quit();
        fw::ChooseMenuItem("FileQuit");
        if (Window1* w = MainWindow()) w->Widget()->window()->close();
        fw::ProcessPendingEvents();
        EXPECT_FALSE(app().HasQuit());
        EXPECT_FALSE(Has("dataset2"));  // the writers after this one have not run yet
        return fw::ModalAnswer::Press("OK");
    });
    Quit();
    fw::ProcessPendingEvents();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(app().HasQuit());
    EXPECT_EQ(Shown("msgbox").size(), 1u);  // a second run of the writers would fail again
    EXPECT_EQ(Get("dataset2"), Int32(-1));
    EXPECT_EQ(Get("filetype.txt"), BuiltInFileTypeLines());
}

// While a data connection is open the main window asks before it lets the quit go on.
TEST_F(StartupAndQuitTest, QuitDuringATransferAsksAndCanBeCancelled) {
    StartApp();
    MainWindow()->dataConnected = true;
    ExpectPress("キャンセル");
    Quit();
    ASSERT_EQ(fw::ModalHost::Shown().size(), 1u);
    const fw::ModalPrompt& asked = fw::ModalHost::Shown()[0];
    EXPECT_EQ(asked.kind, "message");
    EXPECT_EQ(asked.message, "データ転送中ですが終了しますか？");
    EXPECT_EQ(asked.explanation, "終了すると、転送中のデータは破壊されます。");
    EXPECT_EQ(asked.buttons, (std::vector<std::string>{"切断", "キャンセル"}));
    EXPECT_FALSE(app().HasQuit());
    ASSERT_NE(MainWindow(), nullptr);
    EXPECT_FALSE(MainWindow()->closing);
    EXPECT_TRUE(MainWindow()->dataConnected);
    EXPECT_TRUE(FolderNames().empty());  // nothing written

    // The close box asks the same; then "切断" lets the quit go on.
    ExpectPress("キャンセル");
    MainWindow()->Widget()->window()->close();
    fw::ProcessPendingEvents();
    EXPECT_EQ(fw::ModalHost::Shown().size(), 2u);
    EXPECT_FALSE(app().HasQuit());
    EXPECT_TRUE(FolderNames().empty());

    ExpectPress("切断");
    Quit();
    EXPECT_EQ(fw::ModalHost::Shown().size(), 3u);
    EXPECT_TRUE(app().HasQuit());
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"dataset2", "filetype.txt", "pref2"}));
}

TEST_F(StartupAndQuitTest, StoredSizeAloneCreatesTheWindowAndKeepsItsDesignPosition) {
    const auto design = DesignPosition();
    Put("pref2", PrefsWithBounds(1, 0, 0, 0, 700));
    NewApp().InitApp();
    ASSERT_NE(MainWindow(), nullptr);  // created by the bounds step
    EXPECT_EQ(MainWindow()->Width(), 800);
    EXPECT_EQ(MainWindow()->Height(), 700);
    EXPECT_EQ(MainWindow()->Left(), design.first);
    EXPECT_EQ(MainWindow()->Top(), design.second);

    app().Start(FrameworkInitCallback);  // the default window is the same one
    fw::ProcessPendingEvents();
    EXPECT_EQ(OpenMainWindows(), 1);
}

// Applying the position moves the window, and its Moved handler writes the position slots: every
// stored bound must still be applied as stored. (A position off every screen is moved onto one:
// tests/mainwindow/StoredBoundsTest.cpp.)
TEST_F(StartupAndQuitTest, StoredBoundsAreAllAppliedThoughTheWindowMoves) {
    const auto design = DesignPosition();
    struct Case {
        int32_t left, top, width, height;
        int32_t expectLeft, expectTop, expectWidth, expectHeight;
    };
    const Case cases[] = {
        {150, 120, 800, 700, 150, 120, 800, 700},
        {0, 120, 0, 0, design.first, 120, 800, 600},  // 0 means no stored value
        {150, 0, 0, 650, 150, design.second, 800, 650},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.left << "," << c.top << " " << c.width << "x" << c.height);
        fs::remove_all(FolderPath());
        Put("pref2", PrefsWithBounds(1, c.left, c.top, c.width, c.height));
        StartApp();
        ASSERT_NE(MainWindow(), nullptr);
        EXPECT_EQ(MainWindow()->Left(), c.expectLeft);
        EXPECT_EQ(MainWindow()->Top(), c.expectTop);
        EXPECT_EQ(MainWindow()->Width(), c.expectWidth);
        EXPECT_EQ(MainWindow()->Height(), c.expectHeight);
        EXPECT_EQ(gPref[PrefWindowWidth], c.width);  // the size is stored only at quit
        EXPECT_EQ(gPref[PrefWindowHeight], c.height);
        if (c.left != 0) {
            EXPECT_EQ(gPref[PrefWindowLeft], c.left);
        }
        if (c.top != 0) {
            EXPECT_EQ(gPref[PrefWindowTop], c.top);
        }
        EndRun();
    }
}

TEST_F(StartupAndQuitTest, StoredBoundsAreIgnoredUnlessKeepWindowSizeIsOne) {
    const auto design = DesignPosition();
    for (int32_t keep : {0, 2, -1}) {
        SCOPED_TRACE(keep);
        fs::remove_all(FolderPath());
        Put("pref2", PrefsWithBounds(keep, 150, 120, 900, 700));
        NewApp().InitApp();
        EXPECT_EQ(MainWindow(), nullptr);
        app().Start(FrameworkInitCallback);
        fw::ProcessPendingEvents();
        ASSERT_NE(MainWindow(), nullptr);
        EXPECT_EQ(MainWindow()->Left(), design.first);
        EXPECT_EQ(MainWindow()->Top(), design.second);
        EXPECT_EQ(MainWindow()->Width(), 800);
        EXPECT_EQ(MainWindow()->Height(), 600);
        EndRun();
    }
}

TEST_F(StartupAndQuitTest, MovedStoresThePositionOnlyWhenKeepWindowSizeIsOne) {
    StartApp();
    Window1* w = MainWindow();
    ASSERT_NE(w, nullptr);
    int32_t x = 200;
    for (int32_t keep : {0, 2, -1}) {
        gPref[PrefKeepWindowSize] = keep;
        gPref[PrefWindowLeft] = gPref[PrefWindowTop] = 77;
        w->SetLeft(x += 10);
        w->SetTop(x);
        fw::ProcessPendingEvents();
        EXPECT_EQ(w->Left(), x);
        EXPECT_EQ(gPref[PrefWindowLeft], 77) << keep;
        EXPECT_EQ(gPref[PrefWindowTop], 77) << keep;
    }
    gPref[PrefKeepWindowSize] = 1;
    w->SetLeft(321);
    w->SetTop(123);
    fw::ProcessPendingEvents();
    EXPECT_EQ(gPref[PrefWindowLeft], 321);
    EXPECT_EQ(gPref[PrefWindowTop], 123);
    EXPECT_TRUE(FolderNames().empty());  // nothing is written on a move
}

TEST_F(StartupAndQuitTest, QuitStoresTheWindowSizeOnlyWhenKeepWindowSizeIsOne) {
    Put("pref2", PrefsWithBounds(1, 0, 0, 0, 0));
    StartApp();
    MainWindow()->SetWidth(1000);
    MainWindow()->SetHeight(750);
    Quit();
    std::vector<int32_t> saved = CurrentPrefs();
    EXPECT_EQ(saved[PrefWindowWidth], 1000);
    EXPECT_EQ(saved[PrefWindowHeight], 750);
    EXPECT_EQ(Get("pref2").substr(4 + 4 * PrefWindowWidth, 8), Int32(1000) + Int32(750));

    // The next run restores them, within the screen (800 wide here).
    EndRun();
    StartApp();
    EXPECT_EQ(MainWindow()->Width(), 800);
    EXPECT_EQ(MainWindow()->Height(), 750);
    EndRun();

    // Turned off, the slots are written back unchanged.
    Put("pref2", PrefsWithBounds(0, 0, 0, 640, 480));
    StartApp();
    MainWindow()->SetWidth(1100);
    Quit();
    EXPECT_EQ(Get("pref2").substr(4 + 4 * PrefWindowWidth, 8), Int32(640) + Int32(480));
}

// A file is read or written in one go: no event is handled in the middle of one, so nothing can
// change the table being written or see one half loaded.
TEST_F(StartupAndQuitTest, LoadersAndWritersDoNotGiveWay) {
    MakeFolder();
    NewApp();
    app().InitPref();
    app().InitFileType();
    gDatasets = {Profile("a"), Profile("b"), Profile("c")};
    struct Step {
        const char* what;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"SavePref", [this] { app().SavePref(); }},
        {"SaveSet2", [this] { app().SaveSet2(); }},
        {"SaveFileType", [this] { app().SaveFileType(); }},
        {"LoadPref", [this] { app().LoadPref(); }},
        {"LoadFileType", [this] { app().LoadFileType(); }},
        {"LoadSet2", [this] { app().LoadSet2(); }},
    };
    for (const Step& step : steps) {
        bool handled = false;
        QTimer::singleShot(0, qApp, [&handled] { handled = true; });
        step.run();
        EXPECT_FALSE(handled) << step.what;
        fw::ProcessPendingEvents();
        EXPECT_TRUE(handled) << step.what;
    }
    EXPECT_EQ(gDatasets.size(), 6u);  // the loader appended the three saved records
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

// The whole run as the entry point makes it: start-up, the event loop until the quit, the
// clean-up, and the event loop's exit status as the result.
TEST_F(StartupAndQuitTest, RunApplicationAnswersTheEventLoopsStatus) {
    Put("pref2", PrefsWithBounds(1, 0, 0, 0, 700));
    bool sawWindow = false;
    QTimer::singleShot(0, qApp, [&] {
        sawWindow = MainWindow() && MainWindow()->Height() == 700;
        App::Instance()->Quit();
    });
    EXPECT_EQ(RunApplication(), 0);
    EXPECT_TRUE(sawWindow);
    EXPECT_EQ(Get("pref2").size(), 208u);
    EXPECT_EQ(Get("dataset2"), Int32(-1));
    EXPECT_TRUE(fw::Window::OpenWindows().empty());
    EXPECT_EQ(App::Instance(), nullptr);
    EXPECT_TRUE(gFileTypes.empty());  // the module state is released
    EXPECT_EQ(gPref[PrefKeepWindowSize], 0);
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

TEST_F(StartupAndQuitTest, RunApplicationAnswersAnExitStatusOtherThanZero) {
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(3); });
    EXPECT_EQ(RunApplication(), 3);
    EXPECT_TRUE(fw::Window::OpenWindows().empty());
    EXPECT_FALSE(Has("pref2"));  // not a quit: nothing is written
}

TEST_F(StartupAndQuitTest, PreparedApplicationHasTheMenuBarAndTheAboutHandler) {
    PrepareApplication();
    App* app = App::Instance();
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->GetMenuBar(), MenuBar1::Instance());
    EXPECT_TRUE(app->HandleMenu("AppleAbout"));
    fw::ProcessPendingEvents();
    EXPECT_EQ(MainWindow(), nullptr);  // no window and no settings yet
    EXPECT_FALSE(fs::exists(FolderPath()));
}

}  // namespace
