// The site passwords are held in clear for the whole run: a crash leaves no core file, even where
// core files are allowed, and the process can't be traced by the user's other processes.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "shell/CoreDumpGuard.h"
#include "tests/shell/ProgramCopy.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

using namespace shelltest;

class CoreDumpTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::ifstream pattern("/proc/sys/kernel/core_pattern");
        std::string line;
        std::getline(pattern, line);
        // A core handler program (a pipe) decides for itself where cores go.
        if (line.empty() || line[0] == '|' || line.find('/') != std::string::npos)
            GTEST_SKIP() << "cores are not written to the working folder: " << line;
        crashFolder_ = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/crash";
        fs::create_directories(crashFolder_);
    }
    // Whatever the crash left in the working folder.
    std::vector<std::string> Left() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(crashFolder_))
            names.push_back(e.path().filename().string());
        return names;
    }

    std::string crashFolder_;
};

TEST_F(CoreDumpTest, AProcessThatKeepsPasswordsOutOfCoreDumpsLeavesNoneAndCantBeTraced) {
    const pid_t child = fork();
    if (child == 0) {
        const struct rlimit unlimited { RLIM_INFINITY, RLIM_INFINITY };
        if (setrlimit(RLIMIT_CORE, &unlimited) != 0 || chdir(crashFolder_.c_str()) != 0) _exit(2);
        KeepPasswordsOutOfCoreDumps();
        if (prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) != 0) _exit(3);
        abort();
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGABRT);
    EXPECT_FALSE(WCOREDUMP(status));
    EXPECT_TRUE(Left().empty()) << testing::PrintToString(Left());
}

// The built program, started with core files allowed and a stored password, then crashed once it
// runs: the guard is the first thing it does, so no moment of its run may leave a core.
TEST_F(CoreDumpTest, TheProgramCrashedLeavesNoCoreFile) {
    MakeFolder();
    Put("pref2", PrefFile(50, DefaultPrefs()));
    NewApp();
    gDatasets = {Profile("site", "the-password")};
    app().SaveSet2();
    EndRun();

    ProgramCopy crashing(ProgramCopy::Options::CoreFilesAllowedIn(crashFolder_));
    ASSERT_TRUE(crashing.WaitUntilItHoldsTheLock()) << crashing.ErrorOutput();
    crashing.Signal(SIGSEGV);
    ASSERT_TRUE(crashing.WaitForExit());
    ASSERT_TRUE(WIFSIGNALED(crashing.Status())) << crashing.Status();
    EXPECT_EQ(WTERMSIG(crashing.Status()), SIGSEGV);
    EXPECT_FALSE(WCOREDUMP(crashing.Status()));
    EXPECT_TRUE(Left().empty()) << testing::PrintToString(Left());
}

}  // namespace
