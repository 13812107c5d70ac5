#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A server the test itself plays, for cases a real server will not produce: replies split across
// segments, odd line ends, replies that never come. It lives in the test's event loop (no
// threads), so nothing moves unless the test runs the loop, e.g. with WaitUntil.
//
// It takes one control connection at a time on 127.0.0.1; a later one is taken once the earlier
// one has closed. Received() and ReceivedLines() cover all of them.
class ScriptedFtpServer {
public:
    // Listening at once, on the port given (21 in a private network namespace) or a free one.
    explicit ScriptedFtpServer(int port = 0);
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    int Port() const;
    std::string Host() const { return "127.0.0.1"; }

    // Called with each complete line the client sends, without its CR LF.
    std::function<void(const std::string& line)> OnLine;
    // Called when a control connection is taken, e.g. to send the greeting.
    std::function<void()> OnConnected;

    bool Connected() const;
    int ConnectionCount() const;
    bool WaitForConnection(int timeoutMs = 10000);
    // Writes the bytes to the client at once; each call leaves in a segment of its own when the
    // test runs the event loop between calls.
    void Send(const std::string& bytes);
    // Closes the control connection (after what was sent has left).
    void CloseClient();
    // Keeps sending what next() answers, a piece whenever the pieces before have left, until it
    // answers "" or the connection ends: a server that sends without end, without its own
    // memory growing when the client stops reading.
    void Stream(std::function<std::string()> next);

    const std::string& Received() const;
    std::vector<std::string> ReceivedLines() const;  // the complete CR LF-ended lines
    int CountLines(const std::string& prefix) const;
    // Runs the event loop until at least `occurrences` received lines start with prefix.
    bool WaitForLine(const std::string& prefix, int timeoutMs = 10000, int occurrences = 1);

    // Data connection. OpenPassiveDataPort listens on a fresh port for it and answers the port;
    // ConnectData connects to the client instead (active mode, after its PORT). One data
    // connection at a time; DataReceived() starts empty with each.
    int OpenPassiveDataPort();
    static std::string Pasv227Text(int port);  // "227 Entering Passive Mode (127,0,0,1,p1,p2)"
    void ConnectData(int port);
    bool DataConnected() const;
    bool WaitForDataConnection(int timeoutMs = 10000);
    // Whether the client has closed the data connection it had opened.
    bool DataClosedByClient() const;
    const std::string& DataReceived() const;
    void SendData(const std::string& bytes);
    void CloseData();  // after what was sent has left
    void AbortData();  // at once, with a reset
    // Hands the connected data connection over as a descriptor of the caller's own (-1 when none
    // is connected): the server lets go of it without closing the connection, so that the caller
    // decides how much it reads and how its end goes.
    int TakeData();
    void StreamData(std::function<std::string()> next);  // as Stream, on the data connection

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace testsupport
