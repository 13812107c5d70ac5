// A save killed between naming its temporary file and renaming it over the settings file leaves
// that file (private, holding the new settings) in the settings folder. The next start, once it
// holds the folder, removes what an ended process left of the writer's temporary files, and
// nothing else.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/shell/ShellTestFixture.h"

namespace {

using namespace shelltest;

// A process that has ended: its number names no process now.
pid_t EndedProcess() {
    const pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

// A process that runs until the test kills it.
class RunningProcess {
public:
    RunningProcess() {
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (;;) pause();
        }
    }
    ~RunningProcess() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_;
};

class LeftoverTemporaryFilesTest : public ShellTest {};

TEST_F(LeftoverTemporaryFilesTest, ThoseOfAnEndedProcessAreRemovedAtStart) {
    Put("pref2", PrefFile(50, DefaultPrefs()));
    const std::string ended = std::to_string(EndedProcess());
    RunningProcess running;
    const std::string live = std::to_string(running.Pid());
    const std::string bytes = PrefFile(50, DefaultPrefs());
    const std::vector<std::string> removed = {".tmp-" + ended + "-1", ".tmp-" + ended + "-27"};
    const std::vector<std::string> kept = {
        ".tmp-" + live + "-1",       // of a process still running
        ".tmp-" + ended + "-1.bak",  // names the writer never makes
        ".tmp-" + ended + "-",       //
        ".tmp-" + ended,             //
        ".tmp-0" + ended + "-1",     //
        ".tmp-" + ended + "-01",     //
        ".tmp-" + ended + "-0",      //
        ".tmp-" + ended + "-1-2",    //
        ".tmp--1",                   //
        ".tmp-x-1",                  //
        "tmp-" + ended + "-1",       //
        "x.tmp-" + ended + "-1",     //
    };
    for (const std::string& name : removed) Put(name, bytes);
    for (const std::string& name : kept) Put(name, bytes);
    fs::permissions(PathOf(removed[0]), fs::perms::owner_read | fs::perms::owner_write);
    // Not files: the writer makes only files.
    fs::create_directory(PathOf(".tmp-" + ended + "-2"));
    fs::create_symlink(PathOf("pref2"), PathOf(".tmp-" + ended + "-3"));

    StartApp();
    ASSERT_NE(MainWindow(), nullptr);
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
    for (const std::string& name : removed) EXPECT_FALSE(Has(name)) << name;
    for (const std::string& name : kept) EXPECT_EQ(Get(name), bytes) << name;
    EXPECT_TRUE(fs::is_directory(PathOf(".tmp-" + ended + "-2")));
    EXPECT_TRUE(fs::is_symlink(PathOf(".tmp-" + ended + "-3")));
    EXPECT_EQ(Get("pref2"), bytes);
}

// A copy refused the folder (another holds it) removes nothing: it reads and writes nothing there.
TEST_F(LeftoverTemporaryFilesTest, ACopyRefusedTheFolderLeavesThemAlone) {
    Put("pref2", PrefFile(50, DefaultPrefs()));
    const std::string leftover = ".tmp-" + std::to_string(EndedProcess()) + "-1";
    Put(leftover, "left");
    const int otherCopy = open(PathOf(kSettingsLockFileName).c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(flock(otherCopy, LOCK_EX | LOCK_NB), 0);
    ExpectPress("OK");
    StartApp();
    EXPECT_TRUE(app().AnotherCopyRunning());
    EXPECT_EQ(Get(leftover), "left");
    close(otherCopy);
}

}  // namespace
