#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A server program a fixture runs, in a process group of its own. Stopping it ends every process
// it started, those that left its group and session included: the test binary adopts what the
// server leaves orphaned, and ends that too. A test binary that exits ends its servers on the
// way, and one killed outright takes the server's own process with it.
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
    // SIGKILL to the program and every process it started, stopped ones included, and all of
    // them reaped. The servers keep nothing in memory that a test reads.
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
