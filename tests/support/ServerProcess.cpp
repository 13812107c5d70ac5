#include "tests/support/ServerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/TestFiles.h"

namespace testsupport {

namespace {

constexpr int kStopGraceMs = 2000;

// Inodes of the listening TCP sockets on 127.0.0.1:port, from /proc/net/tcp.
std::vector<std::string> ListeningSocketInodes(int port) {
    char wanted[16];
    snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    std::vector<std::string> inodes;
    std::ifstream table("/proc/net/tcp");
    std::string line;
    std::getline(table, line);  // header
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
        fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >>
            timeout >> inode;
        if (local == wanted && state == "0A") inodes.push_back(inode);
    }
    return inodes;
}

}  // namespace

struct ServerProcess::Impl {
    QProcess process;
    std::string logPath;
    std::string stdoutBuffer;
};

ServerProcess::ServerProcess() : impl_(std::make_unique<Impl>()) {}

ServerProcess::~ServerProcess() {
    Stop();
}

bool ServerProcess::Start(const std::string& program, const std::vector<std::string>& args,
                          const std::string& logPath, Output output) {
    impl_->logPath = logPath;
    QStringList arguments;
    for (const auto& arg : args) arguments << QString::fromStdString(arg);
    QProcess& p = impl_->process;
    p.setProgram(QString::fromStdString(program));
    p.setArguments(arguments);
    p.setStandardInputFile(QProcess::nullDevice());
    const QString log = QString::fromStdString(logPath);
    if (output == Output::kStdoutPiped) {
        p.setStandardErrorFile(log, QIODevice::Append);
    } else {
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setStandardOutputFile(log, QIODevice::Append);
    }
    const bool stdinToLog = output == Output::kAllAndStdinToLog;
    p.setChildProcessModifier([logPath, stdinToLog] {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (stdinToLog) {
            int fd = open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
            if (fd > 0) {
                dup2(fd, 0);
                close(fd);
            }
        }
    });
    p.start();
    return p.waitForStarted(10000);
}

std::optional<std::string> ServerProcess::WaitForStdoutLine(const std::string& prefix,
                                                            int timeoutMs) {
    QProcess& p = impl_->process;
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        while (p.canReadLine()) {
            std::string line = p.readLine().toStdString();
            while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
            if (line.rfind(prefix, 0) == 0) return line;
        }
        if (deadline.hasExpired() || p.state() == QProcess::NotRunning) return std::nullopt;
        p.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
}

bool ServerProcess::Running() const {
    return impl_->process.state() != QProcess::NotRunning;
}

bool ServerProcess::WaitForExit(int timeoutMs) {
    if (!Running()) return true;
    return impl_->process.waitForFinished(timeoutMs);
}

bool ServerProcess::ListensOn(int port) const {
    if (!Running()) return false;
    std::string fdDir = "/proc/" + std::to_string(impl_->process.processId()) + "/fd";
    std::vector<std::string> inodes = ListeningSocketInodes(port);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(fdDir, ec)) {
        std::string target = std::filesystem::read_symlink(entry.path(), ec).string();
        for (const auto& inode : inodes) {
            if (target == "socket:[" + inode + "]") return true;
        }
    }
    return false;
}

namespace {

// The processes below pid, found through their parents: a server's sessions may leave its group.
std::vector<pid_t> Descendants(pid_t pid) {
    std::vector<std::pair<pid_t, pid_t>> parents;  // (process, its parent)
    for (const auto& e : std::filesystem::directory_iterator("/proc")) {
        const std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(e.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const size_t end = line.rfind(')');
        if (end == std::string::npos) continue;
        std::istringstream rest(line.substr(end + 1));
        std::string state;
        pid_t parent = 0;
        rest >> state >> parent;
        parents.emplace_back(static_cast<pid_t>(std::stoi(name)), parent);
    }
    std::vector<pid_t> found{pid};
    for (size_t i = 0; i < found.size(); ++i)
        for (const auto& [process, parent] : parents)
            if (parent == found[i]) found.push_back(process);
    found.erase(found.begin());
    return found;
}

}  // namespace

void ServerProcess::Signal(int signal) {
    const pid_t group = static_cast<pid_t>(impl_->process.processId());
    if (group <= 0) return;
    kill(-group, signal);
    for (pid_t process : Descendants(group)) kill(process, signal);
}

void ServerProcess::Stop() {
    QProcess& p = impl_->process;
    if (p.state() == QProcess::NotRunning) return;
    pid_t group = static_cast<pid_t>(p.processId());
    if (group > 0) kill(-group, SIGTERM);
    if (!p.waitForFinished(kStopGraceMs)) {
        if (group > 0) kill(-group, SIGKILL);
        p.waitForFinished(kStopGraceMs);
    }
    // Session processes that outlived their listener.
    if (group > 0) kill(-group, SIGKILL);
}

std::string ServerProcess::ErrorText() const {
    return impl_->process.errorString().toStdString();
}

std::string ServerProcess::LogText() const {
    return ReadFile(impl_->logPath);
}

}  // namespace testsupport
