#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <string>

#include "framework/EventLoop.h"
#include "framework/TCPSocket.h"

namespace {

// A connection to a peer of the test's own on 127.0.0.1, which reads only when it is told to.
class TCPSocketTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        socket.Address = "127.0.0.1";
        socket.Port = server.serverPort();
        socket.SendComplete = [this](fw::TCPSocket&) { ++completes; };
        socket.Connect();
        ASSERT_TRUE(fw::RunEventLoopUntil(
            [&] { return socket.IsConnected() && server.hasPendingConnections(); }, 5000));
        peer = server.nextPendingConnection();
    }

    void DrainAtThePeerWithoutTheLoop(size_t atLeast) {
        received += peer->readAll().toStdString();  // what the peer's socket has read already
        char buffer[65536];
        size_t drained = 0;
        while (drained < atLeast) {
            ssize_t n =
                ::recv(static_cast<int>(peer->socketDescriptor()), buffer, sizeof buffer, 0);
            ASSERT_GT(n, 0);
            received.append(buffer, static_cast<size_t>(n));
            drained += static_cast<size_t>(n);
        }
    }

    void ReadAtThePeer() {
        QObject::connect(peer, &QTcpSocket::readyRead, peer,
                         [this] { received += peer->readAll().toStdString(); });
        received += peer->readAll().toStdString();
    }

    QTcpServer server;
    QTcpSocket* peer = nullptr;
    fw::TCPSocket socket;
    int completes = 0;
    std::string received;
};

// Bytes the system takes at once have left: SendComplete follows. Bytes it can't take yet (the
// peer does not read) wait in order behind them, and SendComplete waits until they have all left.
TEST_F(TCPSocketTest, SendCompleteComesOnceEveryWrittenByteHasLeft) {
    socket.Write("hello");
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return completes == 1; }, 5000));

    std::string big(64 * 1024 * 1024, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 / 5);
    socket.Write(big);
    EXPECT_GT(socket.BytesLeftToSend(), 0);
    // The peer takes some, so that the system has room again while bytes still wait: the next
    // write must not overtake them.
    DrainAtThePeerWithoutTheLoop(1024 * 1024);
    socket.Write("tail");
    fw::ProcessPendingEvents();
    EXPECT_EQ(completes, 1);

    ReadAtThePeer();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return completes == 2; }, 20000));
    EXPECT_EQ(socket.BytesLeftToSend(), 0);
    ASSERT_TRUE(
        fw::RunEventLoopUntil([&] { return received.size() >= 5 + big.size() + 4; }, 20000));
    EXPECT_TRUE(received == "hello" + big + "tail") << "the bytes came out of order";
    fw::ProcessPendingEvents();
    EXPECT_EQ(completes, 2);
}

// How the peer ends the connection after its bytes: in order, or with a reset that comes before
// or after this end has read them. Every byte comes first, and the end says which it was.
struct PeerEndCase {
    const char* what;
    bool reset;
    bool readBeforeTheEnd;
    int32_t code;
};

void PrintTo(const PeerEndCase& c, std::ostream* os) {
    *os << c.what;
}

class PeerEnd : public TCPSocketTest, public testing::WithParamInterface<PeerEndCase> {};

TEST_P(PeerEnd, IsReportedAfterEveryByteAsItHappened) {
    const PeerEndCase& c = GetParam();
    std::string got;
    int32_t endCode = 0;
    socket.DataAvailable = [&](fw::TCPSocket& s) { got += s.ReadAll(); };
    socket.Error = [&](fw::TCPSocket& s) { endCode = s.LastErrorCode(); };
    const std::string bytes(100000, 'b');
    peer->write(bytes.data(), static_cast<qint64>(bytes.size()));
    peer->flush();
    if (c.readBeforeTheEnd) {
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return got.size() == bytes.size(); }, 5000));
    }
    if (c.reset) {
        linger reset{1, 0};
        setsockopt(static_cast<int>(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                   sizeof reset);
        peer->abort();
    } else {
        peer->disconnectFromHost();
    }
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return endCode != 0; }, 5000));
    EXPECT_EQ(endCode, c.code);
    EXPECT_EQ(got.size(), bytes.size());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, PeerEnd,
    testing::Values(PeerEndCase{"InOrder", false, false, fw::kSocketPeerClosed},
                    PeerEndCase{"InOrderAfterTheBytesWereRead", false, true, fw::kSocketPeerClosed},
                    PeerEndCase{"ResetBeforeTheBytesWereRead", true, false, fw::kSocketPeerReset},
                    PeerEndCase{"ResetAfterTheBytesWereRead", true, true, fw::kSocketPeerReset}),
    [](const testing::TestParamInfo<PeerEndCase>& info) { return std::string(info.param.what); });

// This end stops sending and waits for the peer's end: the peer reads every byte and the end of
// them, and its own end (in order or with a reset) is told apart, as on an open connection. The
// peer is a bare descriptor, so that it ends only when the test ends it.
class PeerEndAfterOurs : public TCPSocketTest, public testing::WithParamInterface<bool> {};

TEST_P(PeerEndAfterOurs, IsReportedAsItHappened) {
    const bool reset = GetParam();
    const int peerFd = ::dup(static_cast<int>(peer->socketDescriptor()));
    ASSERT_GE(peerFd, 0);
    peer->abort();  // its descriptor only: the connection lives on in peerFd
    int32_t endCode = 0;
    socket.Error = [&](fw::TCPSocket& s) { endCode = s.LastErrorCode(); };
    const std::string bytes(3000000, 'e');
    socket.Write(bytes);
    bool ended = false;
    bool endRead = false;
    const auto drain = [&] {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(peerFd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) received.append(buffer, static_cast<size_t>(n));
            if (n == 0) endRead = true;
            if (n <= 0) return;
        }
    };
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] {
            drain();
            if (completes == 1 && !ended) {
                ended = socket.EndSending();
                EXPECT_TRUE(ended);
            }
            return endRead;
        },
        20000));
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_TRUE(received == bytes) << received.size() << " bytes read";
    fw::ProcessPendingEvents();
    EXPECT_EQ(endCode, 0) << "the end is the peer's to make";

    if (reset) {
        linger hard{1, 0};
        setsockopt(peerFd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    ::close(peerFd);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return endCode != 0; }, 5000));
    EXPECT_EQ(endCode, reset ? fw::kSocketPeerReset : fw::kSocketPeerClosed);
}

INSTANTIATE_TEST_SUITE_P(Ends, PeerEndAfterOurs, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Reset" : "InOrder");
                         });

}  // namespace
