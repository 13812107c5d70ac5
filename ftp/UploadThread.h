#pragma once

#include "framework/Thread.h"

class FtpDataSocket;

// The worker that sends an upload over the data connection once the server has accepted STOR: the
// local file in chunks of 2048 bytes, one chunk in the socket at a time, text with its line ends
// converted to the data connection's lineEndMode.
class UploadThread : public fw::Thread {
public:
    static constexpr int kChunkSize = 2048;

    FtpDataSocket* parent = nullptr;

protected:
    void Event_Run() override;

private:
    void SendFile();
};
