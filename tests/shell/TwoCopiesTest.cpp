// One copy of the program at a time on a settings folder: each reads the settings at start and
// writes them whole at quit, so a second copy would undo what the first saved. A second copy says
// so and quits without writing; a copy that crashed does not block the next.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "tests/shell/ProgramCopy.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

using namespace shelltest;

class TwoCopiesTest : public ShellTest {
protected:
    // The settings a run leaves: one profile, the defaults.
    void SeedSettings() {
        Put("pref2", PrefFile(50, DefaultPrefs()));
        NewApp();
        gDatasets = {Profile("before")};
        app().SaveSet2();
        EndRun();
        profilesBefore_ = Get("dataset2");
    }
    // Every settings file's bytes.
    static std::vector<std::string> Contents() {
        std::vector<std::string> contents;
        for (const std::string& name : FolderNames()) contents.push_back(name + ":" + Get(name));
        return contents;
    }
    static std::string InUseMessage() {
        return "別のQuillomarが設定フォルダ「" + FolderPath() + "」を使用中なので起動できません。";
    }
    static std::vector<std::string> ProfileNames() {
        std::vector<std::string> names;
        for (const StoredProfile& p : DecodeProfiles(Get("dataset2"))) names.push_back(p.name);
        return names;
    }

    std::string profilesBefore_;
};

// The message, through the modal host: the folder is held as a running copy holds it (an flock on
// its lock file, from another open of it).
TEST_F(TwoCopiesTest, ASecondCopySaysSoAndQuitsWithoutReadingOrWriting) {
    SeedSettings();
    const int otherCopy = open(PathOf(kSettingsLockFileName).c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(otherCopy, LOCK_EX | LOCK_NB), 0);
    const std::vector<std::string> before = Contents();

    ExpectPress("OK");
    StartApp();
    const std::vector<fw::ModalPrompt> shown = Shown("msgbox");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, InUseMessage());
    EXPECT_TRUE(app().HasQuit());
    EXPECT_TRUE(app().AnotherCopyRunning());
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_TRUE(gDatasets.empty());  // nothing was read
    EXPECT_EQ(Contents(), before);
    EndRun();

    // Once the other copy has gone, the folder is this copy's.
    close(otherCopy);
    fw::ModalHost::BeginScript();
    StartApp();
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
    EXPECT_FALSE(app().HasQuit());
    ASSERT_NE(MainWindow(), nullptr);
    EXPECT_EQ(gDatasets.size(), 1u);
}

// The built program started twice: the second copy says so (its message box answered over VNC,
// its text on stderr too), exits with status 1 and writes nothing; the first runs on and quits
// with its settings written.
TEST_F(TwoCopiesTest, TheProgramStartedTwiceRunsOnce) {
    SeedSettings();
    ProgramCopy first;
    ASSERT_TRUE(first.WaitUntilItHoldsTheLock()) << first.ErrorOutput();
    const std::vector<std::string> before = Contents();

    ProgramCopy second(ProgramCopy::Options::AnswerableOverVnc());
    ASSERT_TRUE(second.PressReturnUntilItExits()) << second.ErrorOutput();
    ASSERT_TRUE(WIFEXITED(second.Status())) << second.Status();
    EXPECT_EQ(WEXITSTATUS(second.Status()), 1);
    EXPECT_NE(second.ErrorOutput().find(InUseMessage()), std::string::npos) << second.ErrorOutput();
    EXPECT_EQ(Contents(), before);

    first.Signal(SIGTERM);  // a session's end: the quit path
    ASSERT_TRUE(first.WaitForExit());
    ASSERT_TRUE(WIFEXITED(first.Status())) << first.Status();
    EXPECT_EQ(WEXITSTATUS(first.Status()), 0);
    EXPECT_EQ(ProfileNames(), std::vector<std::string>{"before"});
    EXPECT_NE(Get("dataset2"), profilesBefore_);  // written anew (new key pairs)
}

// A profile added in the running copy survives a second copy: the second quits at once, before
// the first, without writing; the first then writes the profile.
TEST_F(TwoCopiesTest, AProfileAddedInTheFirstCopySurvivesTheSecond) {
    SeedSettings();
    StartApp();
    ASSERT_NE(MainWindow(), nullptr);
    gDatasets.push_back(Profile("added"));

    ProgramCopy second(ProgramCopy::Options::AnswerableOverVnc());
    ASSERT_TRUE(second.PressReturnUntilItExits()) << second.ErrorOutput();
    EXPECT_TRUE(WIFEXITED(second.Status()) && WEXITSTATUS(second.Status()) == 1) << second.Status();
    EXPECT_EQ(Get("dataset2"), profilesBefore_);

    app().Quit();
    fw::ProcessPendingEvents();
    EXPECT_EQ(ProfileNames(), (std::vector<std::string>{"before", "added"}));
}

// The kernel lets the lock go with the process: a copy killed outright blocks nothing.
TEST_F(TwoCopiesTest, ACopyThatCrashedDoesNotBlockTheNextStart) {
    SeedSettings();
    ProgramCopy crashed;
    ASSERT_TRUE(crashed.WaitUntilItHoldsTheLock()) << crashed.ErrorOutput();
    crashed.Signal(SIGKILL);
    ASSERT_TRUE(crashed.WaitForExit());

    StartApp();
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
    EXPECT_FALSE(app().HasQuit());
    ASSERT_NE(MainWindow(), nullptr);
    EXPECT_EQ(gDatasets.size(), 1u);
    app().Quit();
    fw::ProcessPendingEvents();
    EXPECT_EQ(ProfileNames(), std::vector<std::string>{"before"});
}

}  // namespace
