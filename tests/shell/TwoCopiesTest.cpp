// One copy of the program at a time on a settings folder: each reads the settings at start and
// writes them whole at quit, so a second copy would undo what the first saved. A second copy says
// so and quits without writing; a copy that crashed does not block the next.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <string.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "tests/shell/ProgramCopy.h"
#include "tests/shell/ShellTestFixture.h"
#include "tests/support/AsAnOrdinaryUser.h"
#include "tests/support/CaseNames.h"
#include "tests/support/EventWait.h"
#include "tests/support/SmallDisk.h"

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

// The lock holds whatever stands at ".lock": a link there, leading nowhere or to a file elsewhere,
// can't be locked (links are not followed into the lock file), and a read-only folder without one
// can't be given one; and a settings folder that is a link is locked where it leads. Either way a
// second copy, here the built program, is refused, and the first writes what it changed at its
// quit (on a read-only disk it says why it can't).
struct LockFileCase {
    const char* name;
    bool readOnly;  // the settings folder on a read-only disk, without a ".lock"
    // Makes what stands at ".lock" or at the settings folder's own name, given a folder outside.
    std::function<void(const std::string& folder, const std::string& elsewhere)> make;
    bool lockFileALink;  // ".lock" is a link, and stays one
};

void PrintTo(const LockFileCase& c, std::ostream* os) {
    *os << c.name;
}

class LockFileTest : public TwoCopiesTest, public testing::WithParamInterface<LockFileCase> {};

TEST_P(LockFileTest, ASecondCopyIsRefusedAndTheFirstKeepsItsProfile) {
    const LockFileCase& c = GetParam();
    std::unique_ptr<testsupport::SmallDisk> disk;
    if (c.readOnly) {
        MakeFolder();
        disk = std::make_unique<testsupport::SmallDisk>(FolderPath(), 1024 * 1024);
        if (!disk->Mounted()) GTEST_SKIP() << disk->Why();
    }
    SeedSettings();
    const std::string elsewhere = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/elsewhere";
    fs::create_directories(elsewhere);
    std::ofstream(elsewhere + "/a-file") << "not a lock\n";
    if (c.make) c.make(FolderPath(), elsewhere);
    if (disk) {
        ASSERT_TRUE(disk->MakeReadOnly());
    }
    const auto outside = [&] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(elsewhere))
            names.push_back(e.path().filename().string() + ":" +
                            (e.is_regular_file() ? std::to_string(fs::file_size(e.path())) : ""));
        return names;
    };
    const std::vector<std::string> outsideBefore = outside();

    StartApp();
    ASSERT_NE(MainWindow(), nullptr);
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
    gDatasets.push_back(Profile("added"));

    ProgramCopy second(ProgramCopy::Options::AnswerableOverVnc());
    ASSERT_TRUE(second.PressReturnUntilItExits()) << "the second copy runs\n"
                                                  << second.ErrorOutput();
    EXPECT_TRUE(WIFEXITED(second.Status()) && WEXITSTATUS(second.Status()) == 1) << second.Status();
    EXPECT_NE(second.ErrorOutput().find(InUseMessage()), std::string::npos) << second.ErrorOutput();
    EXPECT_EQ(Get("dataset2"), profilesBefore_);

    if (c.readOnly)
        for (int i = 0; i < 3; ++i) ExpectPress("OK");
    app().Quit();
    fw::ProcessPendingEvents();
    ASSERT_TRUE(app().HasQuit());
    if (c.readOnly) {
        std::vector<std::string> messages;
        for (const fw::ModalPrompt& p : Shown("msgbox")) messages.push_back(p.message);
        std::vector<std::string> expected;
        for (const char* name : {"pref2", "dataset2", "filetype.txt"})
            expected.push_back("設定ファイル「" + std::string(name) +
                               "」を保存できませんでした。（読み取り専用のファイルシステムです）");
        EXPECT_EQ(messages, expected);
        EXPECT_EQ(Get("dataset2"), profilesBefore_);
    } else {
        EXPECT_TRUE(fw::ModalHost::Shown().empty());
        EXPECT_EQ(ProfileNames(), (std::vector<std::string>{"before", "added"}));
    }
    // What the link leads to is left as it was: nothing made or written through it.
    EXPECT_EQ(outside(), outsideBefore);
    EXPECT_EQ(fs::is_symlink(PathOf(kSettingsLockFileName)), c.lockFileALink);
}

INSTANTIATE_TEST_SUITE_P(
    LockFiles, LockFileTest,
    testing::Values(LockFileCase{"a link leading nowhere", false,
                                 [](const std::string& folder, const std::string& elsewhere) {
                                     fs::create_symlink(elsewhere + "/missing",
                                                        folder + "/" + kSettingsLockFileName);
                                 },
                                 true},
                    LockFileCase{"a link to a file", false,
                                 [](const std::string& folder, const std::string& elsewhere) {
                                     fs::create_symlink(elsewhere + "/a-file",
                                                        folder + "/" + kSettingsLockFileName);
                                 },
                                 true},
                    LockFileCase{"a read-only folder without one", true, nullptr, false},
                    LockFileCase{"a settings folder that is a link", false,
                                 [](const std::string& folder, const std::string& elsewhere) {
                                     fs::rename(folder, elsewhere + "/settings");
                                     fs::create_directory_symlink(elsewhere + "/settings", folder);
                                 },
                                 false}),
    [](const testing::TestParamInfo<LockFileCase>& info) {
        return testsupport::CaseName(info.param.name);
    });

// A settings folder this copy can reach but not read (as an ordinary user, its read bit off) can't
// take an flock itself: the lock file is all there is to lock. When that can't be had either, the
// copy is refused, and the message gives what kept the lock file, in Japanese.
struct UnreadableFolderCase {
    const char* name;
    mode_t mode;    // of the settings folder
    bool readOnly;  // on a read-only disk, without a ".lock"
    std::function<void(const std::string& folder)> make;
    const char* reason;
};

void PrintTo(const UnreadableFolderCase& c, std::ostream* os) {
    *os << c.name;
}

class UnreadableFolderTest : public TwoCopiesTest,
                             public testing::WithParamInterface<UnreadableFolderCase> {};

TEST_P(UnreadableFolderTest, ACopyThatCantLockTheLockFileSaysWhyAndQuits) {
    const UnreadableFolderCase& c = GetParam();
    MakeFolder();
    std::unique_ptr<testsupport::SmallDisk> disk;
    if (c.readOnly) {
        disk = std::make_unique<testsupport::SmallDisk>(FolderPath(), 1024 * 1024);
        if (!disk->Mounted()) GTEST_SKIP() << disk->Why();
    }
    if (c.make) c.make(FolderPath());
    ASSERT_EQ(chmod(FolderPath().c_str(), c.mode), 0);
    if (disk) {
        ASSERT_TRUE(disk->MakeReadOnly());
    }
    testsupport::AsAnOrdinaryUser ordinaryUser;
    ASSERT_TRUE(ordinaryUser.Active()) << ordinaryUser.Why();

    ExpectPress("OK");
    StartApp();
    const std::vector<fw::ModalPrompt> shown = Shown("msgbox");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].message, "設定フォルダ「" + FolderPath() +
                                    "」をロックできないので起動できません。（" + c.reason + "）");
    EXPECT_TRUE(app().HasQuit());
    EXPECT_TRUE(app().RefusedTheSettingsFolder());
    EXPECT_EQ(MainWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    LockFiles, UnreadableFolderTest,
    testing::Values(UnreadableFolderCase{"a lock file that is a link leading nowhere", 0300, false,
                                         [](const std::string& folder) {
                                             fs::create_symlink(
                                                 folder + "/missing",
                                                 folder + "/" + kSettingsLockFileName);
                                         },
                                         "シンボリックリンクをたどれません"},
                    UnreadableFolderCase{"a folder without a lock file on a read-only disk", 0300,
                                         true, nullptr, "読み取り専用のファイルシステムです"},
                    UnreadableFolderCase{"a folder without a lock file that may not be written",
                                         0100, false, nullptr, "書き込み権限がありません"}),
    [](const testing::TestParamInfo<UnreadableFolderCase>& info) {
        return testsupport::CaseName(info.param.name);
    });

// With only the lock file locked, the lock holds only while the file locked is the one at ".lock":
// one removed during the run and made again by another copy, which locks it, keeps this copy from
// writing at quit; one removed and not taken is locked again, and the quit writes.
class RemovedLockFileTest : public TwoCopiesTest, public testing::WithParamInterface<bool> {};

TEST_P(RemovedLockFileTest, WithoutTheFolderLockTheQuitWritesOnlyWhileItHoldsTheLockFile) {
    const bool takenByAnotherCopy = GetParam();
    SeedSettings();
    ASSERT_EQ(chmod(FolderPath().c_str(), 0300), 0);
    testsupport::AsAnOrdinaryUser ordinaryUser;
    ASSERT_TRUE(ordinaryUser.Active()) << ordinaryUser.Why();
    StartApp();
    ASSERT_NE(MainWindow(), nullptr);
    ASSERT_TRUE(fw::ModalHost::Shown().empty());
    gDatasets.push_back(Profile("added"));
    // The folder, readable since start-up made it private, is not locked: the lock file is.
    const int folder = open(FolderPath().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    EXPECT_EQ(flock(folder, LOCK_EX | LOCK_NB), 0);
    close(folder);

    ASSERT_TRUE(fs::remove(PathOf(kSettingsLockFileName)));
    int otherCopy = -1;
    if (takenByAnotherCopy) {
        otherCopy = open(PathOf(kSettingsLockFileName).c_str(), O_RDWR | O_CREAT, 0600);
        ASSERT_EQ(flock(otherCopy, LOCK_EX | LOCK_NB), 0);
        ExpectPress("OK");
    }
    app().Quit();
    fw::ProcessPendingEvents();
    ASSERT_TRUE(app().HasQuit());
    if (takenByAnotherCopy) {
        const std::vector<fw::ModalPrompt> shown = Shown("msgbox");
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].message, "別のQuillomarが設定フォルダ「" + FolderPath() +
                                        "」を使用中なので、設定を保存できませんでした。");
        EXPECT_EQ(Get("dataset2"), profilesBefore_);
        close(otherCopy);
    } else {
        EXPECT_TRUE(fw::ModalHost::Shown().empty());
        EXPECT_EQ(ProfileNames(), (std::vector<std::string>{"before", "added"}));
    }
}

INSTANTIATE_TEST_SUITE_P(LockFiles, RemovedLockFileTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "TakenByAnotherCopy" : "TakenByNone";
                         });

// What stands at ".lock" never holds start-up: a pipe there that the user may only read, which,
// opened for reading, would wait for a writer that never comes. The built program, run as an
// ordinary user, starts and takes the lock (the pipe's as well), and SIGTERM ends it, whether it
// comes once the copy runs or while it starts (between the folder's lock and the lock file's).
class PipeAtTheLockFileTest : public TwoCopiesTest, public testing::WithParamInterface<bool> {};

TEST_P(PipeAtTheLockFileTest, ACopyStartsAndEndsOnSigterm) {
    const bool whileStarting = GetParam();
    SeedSettings();
    const std::string lockFile = PathOf(kSettingsLockFileName);
    fs::remove(lockFile);
    ASSERT_EQ(mkfifo(lockFile.c_str(), 0444), 0) << strerror(errno);

    ProgramCopy copy(ProgramCopy::Options::AsAnOrdinaryUser());
    ASSERT_TRUE(whileStarting ? copy.WaitUntilItLocksTheFolder() : copy.WaitUntilItHoldsTheLock())
        << "the copy did not get so far\n"
        << copy.ErrorOutput();
    copy.Signal(SIGTERM);
    ASSERT_TRUE(copy.WaitForExit()) << "the copy still runs\n" << copy.ErrorOutput();
    EXPECT_TRUE(WIFEXITED(copy.Status()) && WEXITSTATUS(copy.Status()) == 0) << copy.Status();
    EXPECT_EQ(ProfileNames(), std::vector<std::string>{"before"});
    EXPECT_EQ(fs::status(lockFile).type(), fs::file_type::fifo);
}

INSTANTIATE_TEST_SUITE_P(LockFiles, PipeAtTheLockFileTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "WhileItStarts" : "OnceItRuns";
                         });

// A lease another program holds on ".lock" (a file server sharing the home folder, say) holds
// start-up neither, nor is it taken for another copy: the lock file can't be opened without
// waiting, and the folder's own lock holds.
TEST_F(TwoCopiesTest, ALeaseOnTheLockFileNeitherHoldsNorRefusesTheStart) {
    SeedSettings();
    const std::string lockFile = PathOf(kSettingsLockFileName);
    const int made = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(made, 0);
    close(made);
    int ready[2];
    ASSERT_EQ(pipe2(ready, O_CLOEXEC), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        // Only async-signal-safe calls in the child of a process with threads. Told when a copy
        // opens the file, it keeps the lease until the kernel breaks it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGIO, &ignore, nullptr);
        const int fd = open(lockFile.c_str(), O_RDONLY);
        const char leased = fd >= 0 && fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
        if (write(ready[1], &leased, 1) != 1) _exit(1);
        for (;;) pause();
    }
    ASSERT_GT(holder, 0);
    close(ready[1]);
    char leased = 0;
    const bool told = read(ready[0], &leased, 1) == 1;
    close(ready[0]);
    const auto endHolder = [holder] {
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
    };
    if (!told || !leased) {
        endHolder();
        GTEST_SKIP() << "no lease can be taken here";
    }

    StartApp();
    endHolder();
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
    EXPECT_FALSE(app().HasQuit());
    EXPECT_NE(MainWindow(), nullptr);
}

// A refused copy whose message nobody answers still ends when the session does (SIGTERM), as any
// copy does: a logout must not wait on it.
TEST_F(TwoCopiesTest, ARefusedCopyWhoseMessageIsUpEndsOnSigterm) {
    SeedSettings();
    ProgramCopy first;
    ASSERT_TRUE(first.WaitUntilItHoldsTheLock()) << first.ErrorOutput();
    ProgramCopy second;
    // Its text goes to stderr just before the message box opens.
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return second.ErrorOutput().find(InUseMessage()) != std::string::npos; }, 20000))
        << second.ErrorOutput();
    second.Signal(SIGTERM);
    ASSERT_TRUE(second.WaitForExit()) << "the refused copy still runs";
    EXPECT_TRUE(WIFEXITED(second.Status()) && WEXITSTATUS(second.Status()) == 1) << second.Status();

    first.Signal(SIGTERM);
    ASSERT_TRUE(first.WaitForExit());
    EXPECT_TRUE(WIFEXITED(first.Status()) && WEXITSTATUS(first.Status()) == 0) << first.Status();
    EXPECT_EQ(ProfileNames(), std::vector<std::string>{"before"});
}

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
    // Both locks are held: the folder's, and the lock file's, which is what copies of earlier
    // versions take.
    for (const std::string& held : {FolderPath(), PathOf(kSettingsLockFileName)}) {
        const int fd = open(held.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0) << held;
        EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0) << held;
        close(fd);
    }

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

// The lock file removed during the run (by hand, say) leaves the folder held as it was: the quit
// writes the run's changes.
TEST_F(TwoCopiesTest, ALockFileRemovedDuringTheRunLeavesTheFolderHeld) {
    SeedSettings();
    StartApp();
    ASSERT_NE(MainWindow(), nullptr);
    gDatasets.push_back(Profile("added"));
    fs::remove(PathOf(kSettingsLockFileName));
    app().Quit();
    fw::ProcessPendingEvents();
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
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
