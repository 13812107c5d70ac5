// Setting up the data connection: active (the data connection listens and the server connects to
// it, PORT) or passive (the data connection connects to the port the server names, PASV).
#include "framework/Random.h"
#include "ftp/DataPortAddress.h"
#include "ftp/FtpCommandSocket.h"
#include "ftp/FtpDataSocket.h"
#include "ftp/FtpErrorCodes.h"

namespace {

// Above 1024: some servers take every port up to and including 1024 as privileged and refuse it.
constexpr int32_t kFirstActivePort = 1025;
constexpr int32_t kActivePortCount = 100;

}  // namespace

std::string FtpCommandSocket::getPort() {
    // PORT can only name an IPv4 address: the one this end of the control connection has.
    const std::string local = LocalAddress();
    if (!local.empty()) {
        const int32_t drawn = static_cast<int32_t>(kActivePortCount * fw::RandomFraction());
        for (int32_t i = 0; i < kActivePortCount; ++i) {
            const int32_t port = kFirstActivePort + (drawn + i) % kActivePortCount;
            dataPort->Port = port;
            dataPort->ListenAddress = local;
            dataPort->AcceptFrom = RemoteAddress();  // only our server may connect
            if (dataPort->Listen()) {
                dataPort->TransferPrepared();
                return PortArgument(local, port);
            }
        }
    }
    dataPort->ReportSetupError(FtpNoActivePort);
    return {};
}

int32_t FtpCommandSocket::setupPasvPort(const std::string& reply) {
    std::optional<PassivePort> named = ParsePasvReply(reply);
    if (!named) {
        dataPort->ReportSetupError(FtpBadPassiveReply);
        return 0;
    }
    // The data connection goes to the server we are talking to, whatever address the reply names.
    dataPort->Port = named->port;
    dataPort->Address = RemoteAddress();
    dataPort->TransferPrepared();
    dataPort->Connect();
    return named->port;
}
