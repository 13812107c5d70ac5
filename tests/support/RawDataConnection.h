#pragma once

#include <cstddef>
#include <memory>
#include <string>

class QSocketNotifier;

namespace testsupport {

// One data connection of a server the test plays, held on a descriptor of its own, so that the
// test decides what a server's system would otherwise decide for it: how much of an upload is
// read, and how the server's end goes: in order, with a reset, or not at all. It lives in the
// test's event loop, like ScriptedFtpServer (whose TakeData hands a connection over).
class RawDataConnection {
public:
    explicit RawDataConnection(int fd);  // takes the descriptor over
    ~RawDataConnection();                // an end still open goes in order
    RawDataConnection(const RawDataConnection&) = delete;
    RawDataConnection& operator=(const RawDataConnection&) = delete;

    // Reading stops once this many bytes have been read: what comes after stays unread in the
    // system's buffers (and the client is held back once they are full).
    void ReadUpTo(size_t limit);
    // Reads what has come so far (up to the limit) here and now, not in the next loop pass.
    void ReadWhatHasCome();
    const std::string& Received() const { return received_; }
    bool EndRead() const { return endRead_; }      // the client's end of its sending was read
    bool ResetSeen() const { return resetSeen_; }  // the client reset the connection
    // The client's end of its sending has arrived, read or not.
    bool ClientEnded() const;
    size_t Unread() const;  // bytes that have arrived and are not read
    bool Open() const { return fd_ >= 0; }

    // The server's end, in order (the system turns it into a reset when bytes are left unread).
    void Close();
    // The server's end, with a reset.
    void Reset();

private:
    void Read();

    int fd_;
    std::unique_ptr<QSocketNotifier> notifier_;
    size_t limit_ = static_cast<size_t>(-1);
    std::string received_;
    bool endRead_ = false;
    bool resetSeen_ = false;
};

}  // namespace testsupport
