#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A server program a fixture runs. It gets a process group of its own, so stopping it also stops
// the session processes it forked, and the kernel kills it when the test binary dies, so a
// crashed or aborted test leaves no server behind.
class ServerProcess {
public:
    ServerProcess();
    ~ServerProcess();  // stops it
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    enum class Output {
        kStdoutPiped,       // for WaitForStdoutLine; stderr goes to the log
        kAllAndStdinToLog,  // stdout, stderr and fd 0 (where vsftpd writes why it could not start)
    };
    // Starts program with its output going to logPath. Answers false (see ErrorText) when it
    // could not be started at all.
    bool Start(const std::string& program, const std::vector<std::string>& args,
               const std::string& logPath, Output output);
    // Blocks until the program prints a line starting with prefix (answered without its line
    // end), it exits, or timeoutMs pass.
    std::optional<std::string> WaitForStdoutLine(const std::string& prefix, int timeoutMs);
    bool Running() const;
    // Blocks until the program exits or timeoutMs pass; answers whether it has exited.
    bool WaitForExit(int timeoutMs);
    // Whether the program itself holds a listening TCP socket on 127.0.0.1:port.
    bool ListensOn(int port) const;
    // SIGTERM to the group, SIGKILL after a short grace, and the program reaped.
    void Stop();
    // A signal to the whole group: SIGSTOP makes a server that has stopped reading and answering,
    // SIGCONT brings it back.
    void Signal(int signal);

    std::string ErrorText() const;
    std::string LogText() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace testsupport
