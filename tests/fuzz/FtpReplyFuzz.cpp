// libFuzzer target: the control connection's reply assembler and state machine, fed arbitrary
// server bytes in arbitrary segments from any state of an operation.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/Application.h"
#include "ftp/FtpCommandSocket.h"
#include "ftp/FtpDataSocket.h"

namespace {

// Hands the bytes to the reply parser as if they had arrived on the connection.
class FedCommandSocket : public FtpCommandSocket {
public:
    void Feed(const std::string& bytes) {
        result += bytes;
        Event_DataAvailable();
    }
};

const char* const kStates[] = {"",          "user", "pass",       "login-pwd",
                               "cwd",       "pwd",  "list-port",  "retr-type",
                               "stor-type", "syst", "nlist-port", "quit"};
const char* const kCodes[] = {"220", "331", "230", "250", "257", "227", "200", "226", "215"};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    fw::EnsurePlatformApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    FtpDataSocket dataSocket;
    FedCommandSocket command;
    command.dataPort = &dataSocket;
    command.usePASV = data[0] & 1;
    command.status = kStates[data[0] % std::size(kStates)];
    command.expectedCode = kCodes[data[1] % std::size(kCodes)];
    // The rest comes in segments: each byte 0x00 ends one.
    std::string segment;
    for (size_t i = 2; i < size; ++i) {
        if (data[i] == 0) {
            command.Feed(segment);
            segment.clear();
        } else {
            segment += static_cast<char>(data[i]);
        }
    }
    command.Feed(segment);
    return 0;
}
