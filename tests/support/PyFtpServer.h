#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace testsupport {

class ServerProcess;
class TempFolder;

struct PyFtpServerOptions {
    std::string root;  // empty: a fresh folder under $QUILLOMAR_TEST_ROOT
    std::string user = "user";
    std::string password = "secret";
    std::string permissions = "elradfmwMT";  // pyftpdlib's letters; the default allows all
    bool allowAnonymous = false;             // "anonymous", read-only, same root
    // Text of the 220 greeting and of the 230 reply; a "\n" in it makes a multi-line reply
    // ("220-first\r\n" ... "220 last\r\n"). Unset: pyftpdlib's own.
    std::optional<std::string> banner;
    std::optional<std::string> loginMessage;
    int passivePortMin = 0;  // with passivePortMax: the PASV ports; 0: any
    int passivePortMax = 0;
    // When > 0 the server closes a STOR's data connection once that many bytes arrived (the file
    // keeps them) and answers 426. APPE is never broken, so a resume can complete.
    int64_t abortStorAfterBytes = 0;
    int abortStorTimes = 0;  // how many STORs to break; 0: every one
    // When set the server confirms a STOR (226) right after accepting it (150), before the data
    // has come, and then reads and stores the data as usual.
    bool earlyFinalReply = false;
    std::string masqueradeAddress;  // non-empty: the address the 227 reply names
    int port = 0;              // the port to listen on (21 in a private network namespace); 0: any
    bool logCommands = false;  // every command received in the log, as "<- COMMAND argument"
    // The longest command line taken (longer ones get "500 Command too long."); 0: pyftpdlib's
    // own 2,048 bytes.
    int maxCommandLineBytes = 0;
};

// pyftpdlib (Debian's python3-pyftpdlib) on 127.0.0.1 and a port of its own choosing (or the one
// given), started by the constructor and stopped by the destructor. Throws std::runtime_error when
// it cannot start.
//
// Note that pyftpdlib stores an ASCII-mode (TYPE A) upload with its CR LF turned into LF; TYPE I
// stores the bytes as sent.
class PyFtpServer {
public:
    using Options = PyFtpServerOptions;

    PyFtpServer();
    explicit PyFtpServer(Options options);
    ~PyFtpServer();
    PyFtpServer(const PyFtpServer&) = delete;
    PyFtpServer& operator=(const PyFtpServer&) = delete;

    int Port() const { return port_; }
    std::string Host() const { return "127.0.0.1"; }
    const std::string& Root() const { return options_.root; }  // local path of "/"
    const std::string& User() const { return options_.user; }
    const std::string& Password() const { return options_.password; }
    // pyftpdlib's log so far: commands, replies and transfers, for a failing test to show.
    std::string LogText() const;
    void Signal(int signal);  // to the server and its sessions

private:
    Options options_;
    std::unique_ptr<TempFolder> folder_;
    std::unique_ptr<ServerProcess> process_;
    int port_ = 0;
};

}  // namespace testsupport
