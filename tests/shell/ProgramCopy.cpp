#include "tests/shell/ProgramCopy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/SettingsFolder.h"
#include "shell/SettingsFolderLock.h"
#include "tests/support/EventWait.h"
#include "tests/support/FreePort.h"

namespace shelltest {

namespace {

// Whether process pid holds an flock on the file at path, as /proc/locks lists it.
bool HoldsFlock(pid_t pid, const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return false;
    std::ostringstream inode;
    inode << ':' << st.st_ino << ' ';
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, owner, where;
        fields >> number >> kind >> mode >> access >> owner >> where;
        if (kind == "FLOCK" && owner == std::to_string(pid) &&
            (where + ' ').find(inode.str()) != std::string::npos)
            return true;
    }
    return false;
}

bool ReadAll(int fd, void* data, size_t n) {
    auto* p = static_cast<char*>(data);
    while (n > 0) {
        ssize_t got = read(fd, p, n);
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

// One Return (down and up) through Qt's VNC server: RFB 3.3 without authentication, which is
// what it offers. False when it does not listen (yet).
bool SendReturn(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // A server that takes the connection and then says nothing must fail the try, not hang it.
    const timeval patience{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool sent = false;
    char version[12], security[4], init[24];
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ReadAll(fd, version, sizeof version) && write(fd, "RFB 003.003\n", 12) == 12 &&
        ReadAll(fd, security, sizeof security) && write(fd, "\1", 1) == 1 &&
        ReadAll(fd, init, sizeof init)) {
        uint32_t nameLength;
        memcpy(&nameLength, init + 20, 4);
        std::string name(ntohl(nameLength), '\0');
        if (ReadAll(fd, name.data(), name.size())) {
            const unsigned char keys[] = {4, 1, 0, 0, 0, 0, 0xff, 0x0d,
                                          4, 0, 0, 0, 0, 0, 0xff, 0x0d};
            sent = write(fd, keys, sizeof keys) == static_cast<ssize_t>(sizeof keys);
        }
    }
    close(fd);
    return sent;
}

}  // namespace

ProgramCopy::ProgramCopy(const Options& options) {
    static int copies = 0;
    outputPath_ =
        std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/copy-" + std::to_string(++copies) + ".log";
    std::string platform = "offscreen";
    if (options.answerableOverVnc) {
        vncPort_ = testsupport::PickFreeTcpPort();
        platform = "vnc:port=" + std::to_string(vncPort_);
    }
    // Everything the child needs is made before the fork: this process has threads, and the child
    // may only make async-signal-safe calls until it runs the program.
    std::vector<std::string> environment;
    for (char** variable = environ; *variable; ++variable)
        if (std::string(*variable).rfind("QT_QPA_PLATFORM=", 0) != 0)
            environment.push_back(*variable);
    environment.push_back("QT_QPA_PLATFORM=" + platform);
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    char* const argv[] = {const_cast<char*>(QUILLOMAR_PROGRAM), nullptr};
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ != 0) return;
    // The child: dies with the test, never outlives it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    int out = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, 1);
    dup2(out, 2);
    if (options.coreFilesAllowed) {
        const struct rlimit unlimited { RLIM_INFINITY, RLIM_INFINITY };
        setrlimit(RLIMIT_CORE, &unlimited);
    }
    if (!options.workingFolder.empty() && chdir(options.workingFolder.c_str()) != 0) _exit(126);
    // Root regains every capability when it runs a program, but none left out of its bounding set:
    // the copy runs without those that pass over a file's permissions.
    if (options.asAnOrdinaryUser)
        for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            if (prctl(PR_CAPBSET_DROP, cap, 0, 0, 0) != 0) _exit(125);
    execve(QUILLOMAR_PROGRAM, argv, envp.data());
    _exit(127);
}

ProgramCopy::~ProgramCopy() {
    if (pid_ > 0 && !exited_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
}

bool ProgramCopy::Reap() {
    if (!exited_ && pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) exited_ = true;
    return exited_;
}

bool ProgramCopy::WaitUntilItHoldsTheLock(int timeoutMs) {
    // The folder itself and its lock file (which copies of earlier versions lock): a copy takes
    // the one after the other, and a look between the two would find the file free.
    const std::string folder = SettingsFolder().Path();
    const std::string lockFile = SettingsFolder().Child(kSettingsLockFileName).Path();
    return testsupport::WaitUntil(
               [&] { return !Reap() && HoldsFlock(pid_, folder) && HoldsFlock(pid_, lockFile); },
               timeoutMs) &&
           !exited_;
}

bool ProgramCopy::WaitUntilItLocksTheFolder(int timeoutMs) {
    const std::string folder = SettingsFolder().Path();
    return testsupport::WaitUntil([&] { return !Reap() && HoldsFlock(pid_, folder); }, timeoutMs) &&
           !exited_;
}

bool ProgramCopy::PressReturnUntilItExits(int timeoutMs) {
    return testsupport::WaitUntil(
        [&] {
            if (Reap()) return true;
            SendReturn(vncPort_);
            return Reap();
        },
        timeoutMs);
}

bool ProgramCopy::WaitForExit(int timeoutMs) {
    return testsupport::WaitUntil([&] { return Reap(); }, timeoutMs);
}

void ProgramCopy::Signal(int signal) {
    if (pid_ > 0 && !exited_) kill(pid_, signal);
}

std::string ProgramCopy::ErrorOutput() const {
    std::ifstream in(outputPath_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace shelltest
