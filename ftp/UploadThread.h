#pragma once

#include <cstdint>
#include <functional>

#include "framework/Thread.h"

class FtpDataSocket;

// The worker that sends an upload over the data connection once the server has accepted STOR: the
// local file in pieces the size of the connection's send buffer, text with its line ends converted
// to the data connection's lineEndMode. The next piece is read while the last one leaves; it is
// written once the socket has taken the last one.
class UploadThread : public fw::Thread {
public:
    // A piece is the connection's send buffer, within these bounds: a piece takes one turn of the
    // thread, so it must not be small; it is held in memory, so it must not be huge.
    static constexpr int64_t kMinPieceSize = 64 * 1024;
    static constexpr int64_t kMaxPieceSize = 4 * 1024 * 1024;
    static int64_t PieceSize(int32_t sendBufferSize);

    FtpDataSocket* parent = nullptr;

protected:
    void Event_Run() override;

private:
    void SendFile();
    // Gives way until ready holds; false when the cancel key ended the wait.
    bool WaitUnlessCancelled(const std::function<bool()>& ready);
};
