// Proves that a server fixture leaves no process behind, whatever state its server was in.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QHostAddress>
#include <QTcpSocket>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/FtpServers.h"

namespace {

using testsupport::WaitUntil;

// The live processes whose command line names path. A zombie's command line is empty.
std::vector<pid_t> ProcessesNaming(const std::string& path) {
    std::vector<pid_t> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc", ec), end; it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream file(it->path() / "cmdline");
        const std::string cmdline{std::istreambuf_iterator<char>(file), {}};
        if (cmdline.find(path) != std::string::npos) found.push_back(std::stoi(name));
    }
    return found;
}

// Answers the processes left that run the configuration, and ends them, so that a failing test
// leaves none either.
std::vector<pid_t> EndLeftovers(const std::string& configPath) {
    std::vector<pid_t> left = ProcessesNaming(configPath);
    for (pid_t pid : left) kill(pid, SIGKILL);
    return left;
}

// Keeps every descriptor beyond the standard three from the programs this process starts, so a
// server that outlives a death test's child does not hold its pipe and keep the parent waiting.
void CloseDescriptorsOnExec() {
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; it != end;
         it.increment(ec)) {
        const int fd = std::stoi(it->path().filename().string());
        if (fd > 2) fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    }
}

// A logged-in control connection, which vsftpd serves from a session of its own (two processes
// in a session apart from the listener's), waiting on this client.
class Session {
public:
    bool LogIn(int port) {
        socket_.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        if (!ReplyStarts("220 ")) return false;
        socket_.write("USER ftp\r\n");
        return ReplyStarts("230 ");
    }

private:
    bool ReplyStarts(const std::string& prefix) {
        return WaitUntil([&] {
            while (socket_.canReadLine()) {
                if (socket_.readLine().toStdString().rfind(prefix, 0) == 0) return true;
            }
            return false;
        });
    }

    QTcpSocket socket_;
};

// A vsftpd with a logged-in session, stopped as asked; answers its configuration file.
std::string ServerWithSessionStopped(std::unique_ptr<testsupport::VsftpdServer>& server,
                                     Session& session, bool sigstopped) {
    server = std::make_unique<testsupport::VsftpdServer>();
    const std::string configPath = server->ConfigPath();
    EXPECT_TRUE(session.LogIn(server->Port())) << server->LogText();
    EXPECT_TRUE(WaitUntil([&] { return ProcessesNaming(configPath).size() >= 3; }))
        << ProcessesNaming(configPath).size() << " processes run " << configPath;
    if (sigstopped) server->Signal(SIGSTOP);
    return configPath;
}

TEST(ServerStopTest, NoProcessOfVsftpdOutlivesItsFixture) {
    for (const bool sigstopped : {false, true}) {
        SCOPED_TRACE(sigstopped ? "stopped with SIGSTOP" : "running");
        Session session;  // still connected when the server ends
        std::unique_ptr<testsupport::VsftpdServer> server;
        const std::string configPath = ServerWithSessionStopped(server, session, sigstopped);
        server.reset();
        EXPECT_EQ(EndLeftovers(configPath), std::vector<pid_t>{});
    }
}

// A test binary that exits with its server running (no destructor on the stack runs) leaves none
// of its processes behind. The child, which runs this test again from its start, writes where
// its configuration is to the note its parent named.
TEST(ServerStopTest, NoProcessOfVsftpdOutlivesATestBinaryThatExits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testsupport::TempFolder folder("exits");
    setenv("QUILLOMAR_SELFTEST_NOTE", (folder.Path() + "/config-path").c_str(), 0);
    const std::string note = getenv("QUILLOMAR_SELFTEST_NOTE");
    EXPECT_EXIT(
        {
            CloseDescriptorsOnExec();
            Session session;
            std::unique_ptr<testsupport::VsftpdServer> server;
            const std::string configPath = ServerWithSessionStopped(server, session, true);
            testsupport::WriteFile(getenv("QUILLOMAR_SELFTEST_NOTE"), configPath);
            exit(0);
        },
        testing::ExitedWithCode(0), "");
    unsetenv("QUILLOMAR_SELFTEST_NOTE");
    const std::string configPath = testsupport::ReadFile(note);
    ASSERT_FALSE(configPath.empty());
    EXPECT_EQ(EndLeftovers(configPath), std::vector<pid_t>{});
}

// A process the test forked itself is the test's: a server's end neither kills it nor takes its
// exit status, though it too is a child of the process that adopts the servers' orphans.
TEST(ServerStopTest, AChildTheTestForkedOutlivesTheServersEnd) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        pause();
        _exit(0);
    }
    Session session;
    std::unique_ptr<testsupport::VsftpdServer> server;
    const std::string configPath = ServerWithSessionStopped(server, session, false);
    server.reset();
    EXPECT_EQ(EndLeftovers(configPath), std::vector<pid_t>{});
    EXPECT_EQ(kill(child, 0), 0) << "the test's own child was ended";
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child) << "its exit status was taken";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

}  // namespace
