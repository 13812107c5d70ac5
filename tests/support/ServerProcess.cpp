#include "tests/support/ServerProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "tests/support/TestFiles.h"

namespace testsupport {

namespace {

constexpr int kReapTimeoutMs = 2000;
constexpr std::chrono::milliseconds kTreeEndTimeout{10000};

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

struct ProcessEntry {
    pid_t parent = 0;
    char state = '?';  // 'Z': a zombie, dead but not reaped
};

// Every process the system lists, with its parent and state.
std::map<pid_t, ProcessEntry> ProcessTable() {
    std::map<pid_t, ProcessEntry> table;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc", ec), end; it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(it->path() / "stat");
        std::string line;
        std::getline(stat, line);
        const size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 1));
        ProcessEntry entry;
        rest >> entry.state >> entry.parent;
        table[static_cast<pid_t>(std::stoi(name))] = entry;
    }
    return table;
}

// The processes below pid, found through their parents: a server's sessions may leave its group.
std::vector<pid_t> Below(const std::map<pid_t, ProcessEntry>& table, pid_t pid) {
    std::vector<pid_t> found{pid};
    for (size_t i = 0; i < found.size(); ++i)
        for (const auto& [process, entry] : table)
            if (entry.parent == found[i]) found.push_back(process);
    found.erase(found.begin());
    return found;
}

// The main processes of the servers running, and the process that started them (a forked copy
// of it inherits the list but not the servers).
struct LiveServers {
    pid_t owner = 0;
    std::vector<pid_t> pids;
};

LiveServers& Live() {
    static LiveServers live;
    return live;
}

bool Contains(const std::vector<pid_t>& pids, pid_t pid) {
    return std::find(pids.begin(), pids.end(), pid) != pids.end();
}

// SIGKILL, which ends a stopped process too, to root (0: none), everything below it and every
// orphan this process has adopted as their subreaper (with what is below those), until none is
// left alive; the adopted ones are reaped, root is QProcess's to reap. The servers in spared and
// what is below them are left alone. A server runs in a process group of its own and its sessions
// start their own, so a child outside this process's group is an orphan of some server's tree,
// whichever; a child the test forked itself stays in this group and is the test's to end.
void EndTree(pid_t root, const std::vector<pid_t>& spared) {
    const pid_t self = getpid();
    const pid_t ownGroup = getpgrp();
    const auto deadline = std::chrono::steady_clock::now() + kTreeEndTimeout;
    for (;;) {
        const std::map<pid_t, ProcessEntry> table = ProcessTable();
        std::vector<pid_t> ending, adopted;
        if (root > 0 && table.count(root)) {
            ending = Below(table, root);
            ending.push_back(root);
        }
        for (const auto& [process, entry] : table) {
            if (entry.parent != self || process == root || Contains(spared, process)) continue;
            if (getpgid(process) == ownGroup) continue;
            adopted.push_back(process);
            ending.push_back(process);
            for (pid_t below : Below(table, process)) ending.push_back(below);
        }
        bool left = false;
        for (pid_t process : ending) {
            if (table.at(process).state == 'Z') continue;
            kill(process, SIGKILL);
            left = true;
        }
        for (pid_t process : adopted) {
            if (waitpid(process, nullptr, WNOHANG) == 0) left = true;
        }
        if (!left || std::chrono::steady_clock::now() > deadline) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// A test binary that exits while servers run (exit() skips the destructors on the stack) ends
// them all on its way out: they and all they left are its children, or below them. Their pids,
// which QProcess may have reaped and the system given to others, are not used.
void EndAllAtExit() {
    LiveServers& live = Live();
    if (live.owner != getpid() || live.pids.empty()) return;
    EndTree(0, {});
    live.pids.clear();
}

// From now on this process adopts what its servers leave orphaned, such as vsftpd's sessions,
// which start sessions of their own and outlive their listener; EndTree finds them there.
void AdoptOrphans() {
    static const bool once = [] {
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        Live();  // built before the handler is registered, so destroyed after it has run
        std::atexit(EndAllAtExit);
        return true;
    }();
    (void)once;
}

void Register(pid_t pid) {
    LiveServers& live = Live();
    if (live.owner != getpid()) live = {getpid(), {}};
    live.pids.push_back(pid);
}

void Forget(pid_t pid) {
    std::vector<pid_t>& pids = Live().pids;
    pids.erase(std::remove(pids.begin(), pids.end(), pid), pids.end());
}

}  // namespace

struct ServerProcess::Impl {
    QProcess process;
    pid_t pid = 0;  // until Stop, even after it has exited
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
    AdoptOrphans();
    p.start();
    if (!p.waitForStarted(10000)) return false;
    impl_->pid = static_cast<pid_t>(p.processId());
    Register(impl_->pid);
    return true;
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

void ServerProcess::Signal(int signal) {
    const pid_t group = static_cast<pid_t>(impl_->process.processId());
    if (group <= 0) return;
    kill(-group, signal);
    for (pid_t process : Below(ProcessTable(), group)) kill(process, signal);
}

void ServerProcess::Stop() {
    const pid_t pid = impl_->pid;
    if (pid <= 0) return;
    std::vector<pid_t> others = Live().pids;
    others.erase(std::remove(others.begin(), others.end(), pid), others.end());
    // Once QProcess has reaped it, its pid may be another's; what it left, this process adopted.
    EndTree(Running() ? pid : 0, others);
    impl_->process.waitForFinished(kReapTimeoutMs);  // reaps it
    Forget(pid);
    impl_->pid = 0;
}

std::string ServerProcess::ErrorText() const {
    return impl_->process.errorString().toStdString();
}

std::string ServerProcess::LogText() const {
    return ReadFile(impl_->logPath);
}

}  // namespace testsupport
