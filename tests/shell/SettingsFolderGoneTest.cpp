// A settings folder that is not there: removed while the program runs, or a link to a disk that is
// not mounted. Quit makes a removed folder again and writes; a folder that can't be made is named
// in a message, at start and at quit, and nothing that start-up did not read is written over.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

using namespace shelltest;

class SettingsFolderGoneTest : public ShellTest {
protected:
    void Quit() {
        app().Quit();
        fw::ProcessPendingEvents();
    }
    // Where a link to a disk that is not mounted leads.
    static std::string Nowhere() { return ConfigHome() + "/../unmounted/Quillomar"; }
    static void LinkToNowhere() { fs::create_directory_symlink(Nowhere(), FolderPath()); }
    static bool Names(const fw::ModalPrompt& p, const std::string& what) {
        return p.message.find(what) != std::string::npos;
    }
};

// Every change of the run is kept: the folder is made again, private, and the three files written.
TEST_F(SettingsFolderGoneTest, AFolderRemovedDuringTheRunIsMadeAgainAtQuit) {
    struct Case {
        const char* what;
        std::function<void()> remove;
    };
    const Case cases[] = {
        {"the settings folder", [] { fs::remove_all(FolderPath()); }},
        {"the preferences folder too", [] { fs::remove_all(ConfigHome()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Put("pref2", PrefFile(50, DefaultPrefs()));
        StartApp();
        ASSERT_NE(MainWindow(), nullptr);
        gDatasets.push_back(Profile("made-in-this-run"));
        c.remove();
        Quit();
        EXPECT_TRUE(app().HasQuit());
        EXPECT_TRUE(fw::ModalHost::Shown().empty());
        ASSERT_TRUE(fs::is_directory(FolderPath()));
        EXPECT_EQ(ModeOf(FolderPath()), 0700u);
        EXPECT_EQ(FolderNames(), (std::vector<std::string>{"dataset2", "filetype.txt", "pref2"}));
        const std::vector<StoredProfile> stored = DecodeProfiles(Get("dataset2"));
        ASSERT_EQ(stored.size(), 1u);
        EXPECT_EQ(stored[0].name, "made-in-this-run");
        EndRun();
        fs::remove_all(FolderPath());
    }
}

// A folder removed during the run and made again by a second copy, which saved a profile there and
// quit: the first copy's quit does not write over it, and says so.
TEST_F(SettingsFolderGoneTest, AFolderAnotherCopyMadeAgainIsNotWrittenOverAtQuit) {
    fw::ModalHost::BeginScript();
    Put("pref2", PrefFile(50, DefaultPrefs()));
    StartApp();
    ASSERT_NE(MainWindow(), nullptr);
    gDatasets.push_back(Profile("made-in-the-first-copy"));
    fs::remove_all(FolderPath());
    fs::create_directory(FolderPath());
    Put(".lock", "");  // the second copy's, let go as it quit
    const std::string secondCopys = "the second copy's profiles";
    Put("dataset2", secondCopys);
    ExpectPress("OK");
    Quit();
    EXPECT_TRUE(app().HasQuit());
    const std::vector<fw::ModalPrompt> shown = fw::ModalHost::Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(Names(shown[0], FolderPath())) << shown[0].message;
    EXPECT_TRUE(Names(shown[0], "作り直された")) << shown[0].message;
    EXPECT_EQ(Get("dataset2"), secondCopys);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"dataset2"});
}

// A folder that can't be made at quit is named: the user knows the run's changes are not kept.
TEST_F(SettingsFolderGoneTest, AFolderThatCantBeMadeAtQuitIsNamedInAMessage) {
    struct Case {
        const char* what;
        std::function<void()> replace;
    };
    const Case cases[] = {
        {"a link to a disk that is not mounted", [] { LinkToNowhere(); }},
        {"a file in its place", [] { std::ofstream(FolderPath()) << "not a folder"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fw::ModalHost::BeginScript();
        Put("pref2", PrefFile(50, DefaultPrefs()));
        StartApp();
        fs::remove_all(FolderPath());
        c.replace();
        ExpectPress("OK");
        Quit();
        EXPECT_TRUE(app().HasQuit());
        const std::vector<fw::ModalPrompt> shown = Shown("msgbox");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(Names(shown[0], FolderPath())) << shown[0].message;
        EXPECT_FALSE(fs::exists(Nowhere()));  // a link is not followed to make its target
        EndRun();
        fs::remove(FolderPath());
    }
}

// A link leading nowhere at start is not a first start: it is named, its target is not made, and
// the run goes on with the defaults. At quit it is named again while it still leads nowhere.
TEST_F(SettingsFolderGoneTest, ALinkLeadingNowhereAtStartIsNamedNotTakenForAFirstStart) {
    LinkToNowhere();
    ExpectPress("OK");
    StartApp();
    std::vector<fw::ModalPrompt> shown = Shown("msgbox");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(Names(shown[0], FolderPath())) << shown[0].message;
    EXPECT_TRUE(Names(shown[0], "リンク先")) << shown[0].message;
    EXPECT_FALSE(fs::exists(Nowhere()));
    EXPECT_TRUE(fs::is_symlink(FolderPath()));
    ASSERT_NE(MainWindow(), nullptr);
    EXPECT_EQ(CurrentPrefs(), DefaultPrefs());
    EXPECT_EQ(gFileTypes.size(), 19u);

    ExpectPress("OK");
    Quit();
    EXPECT_TRUE(app().HasQuit());
    shown = Shown("msgbox");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(Names(shown[1], FolderPath())) << shown[1].message;
    EXPECT_FALSE(fs::exists(Nowhere()));
}

// The disk comes back during the run: its settings were never read, so they are not written over.
// A link removed during the run leaves nothing to write over: the folder is made and written.
TEST_F(SettingsFolderGoneTest, SettingsNotReadAtStartAreNotWrittenOverAtQuit) {
    LinkToNowhere();
    ExpectPress("OK");
    StartApp();
    fs::create_directories(Nowhere());
    const std::string theirs = PrefFile(50, std::vector<int32_t>(51, 7));
    std::ofstream(Nowhere() + "/pref2", std::ios::binary) << theirs;
    ExpectPress("OK");
    Quit();
    const std::vector<fw::ModalPrompt> shown = Shown("msgbox");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(Names(shown[1], FolderPath())) << shown[1].message;
    EXPECT_EQ(Get("pref2"), theirs);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"pref2"});
    EndRun();

    fs::remove_all(Nowhere());
    fw::ModalHost::BeginScript();
    ExpectPress("OK");
    StartApp();
    fs::remove(FolderPath());  // the link
    Quit();
    EXPECT_EQ(Shown("msgbox").size(), 1u);  // the one at start
    EXPECT_TRUE(fs::is_directory(FolderPath()));
    EXPECT_FALSE(fs::is_symlink(FolderPath()));
    EXPECT_EQ(ModeOf(FolderPath()), 0700u);
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"dataset2", "filetype.txt", "pref2"}));
}

}  // namespace
