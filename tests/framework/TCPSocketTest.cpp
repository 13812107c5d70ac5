#include <errno.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
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

// This end stops sending and waits for the peer's end. Only the peer's close in order after this
// end is reported as kSocketPeerClosed: then the peer has read every byte and the end of them. A
// reset, or a peer's end that came before this one (one the platform has not read yet), is
// reported as anything else, so that it is never taken for a complete transfer. Bytes still
// waiting to leave go first, and the end follows them. The peer is a bare descriptor, so that it
// reads and ends only when the test has it do so.
struct OurEndCase {
    const char* what;
    bool peerEndsFirst;  // the peer ends its side before this end goes
    bool bytesWaiting;   // this end is asked for while written bytes still wait to leave
    bool peerResets;     // the peer's end is a reset (else in order)
    int32_t code;
};

void PrintTo(const OurEndCase& c, std::ostream* os) {
    *os << c.what;
}

class OurEnd : public TCPSocketTest, public testing::WithParamInterface<OurEndCase> {
protected:
    // Reads at the peer what has come; answers whether the end of the sending was read.
    bool DrainAtThePeer(int fd) {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) received.append(buffer, static_cast<size_t>(n));
            if (n == 0) return true;
            if (n < 0) return false;
        }
    }
    static void EndAtThePeer(int fd, bool reset) {
        if (reset) {
            linger hard{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        }
        ::close(fd);
    }
};

TEST_P(OurEnd, ThePeersEndIsAnAnswerOnlyInOrderAfterIt) {
    const OurEndCase& c = GetParam();
    const int peerFd = ::dup(static_cast<int>(peer->socketDescriptor()));
    ASSERT_GE(peerFd, 0);
    peer->abort();  // its descriptor only: the connection lives on in peerFd
    int32_t endCode = 0;
    socket.Error = [&](fw::TCPSocket& s) { endCode = s.LastErrorCode(); };
    // Beyond what the loopback's buffers hold, or well within them.
    std::string bytes(c.bytesWaiting ? 48 * 1024 * 1024 : 100000, 'e');
    socket.Write(bytes);
    if (c.bytesWaiting) {
        ASSERT_GT(socket.BytesLeftToSend(), 0);
    } else {
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return completes == 1; }, 5000));
    }

    if (c.peerEndsFirst) {
        // Every byte has reached the peer's system; the peer ends before it reads the end.
        ASSERT_TRUE(fw::RunEventLoopUntil(
            [&] {
                DrainAtThePeer(peerFd);
                return received.size() == bytes.size();
            },
            5000));
        EndAtThePeer(peerFd, c.peerResets);
        EXPECT_TRUE(socket.EndSending()) << "a connection that was up is there to be ended";
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return endCode != 0; }, 5000));
        EXPECT_EQ(endCode, c.code);
        EXPECT_FALSE(socket.IsConnected());
        return;
    }

    EXPECT_TRUE(socket.EndSending());
    if (!c.bytesWaiting) {
        EXPECT_FALSE(socket.IsConnected());
        // The peer's system takes the end without its program reading anything.
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return socket.EndAcknowledged(); }, 5000));
        EXPECT_TRUE(received.empty());
    } else {
        EXPECT_FALSE(socket.EndAcknowledged());
    }
    bool endRead = false;
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return endRead = DrainAtThePeer(peerFd); }, 20000));
    EXPECT_TRUE(received == bytes) << received.size() << " bytes read";
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return socket.EndAcknowledged(); }, 5000));
    fw::ProcessPendingEvents();
    EXPECT_EQ(endCode, 0) << "the end is the peer's to make";

    EndAtThePeer(peerFd, c.peerResets);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return endCode != 0; }, 5000));
    EXPECT_EQ(endCode, c.code);
    EXPECT_FALSE(socket.EndAcknowledged());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, OurEnd,
    testing::Values(OurEndCase{"InOrderAfterOurs", false, false, false, fw::kSocketPeerClosed},
                    OurEndCase{"ResetAfterOurs", false, false, true, fw::kSocketPeerReset},
                    OurEndCase{"InOrderAfterOursThatWaitedForItsBytes", false, true, false,
                               fw::kSocketPeerClosed},
                    OurEndCase{"ResetAfterOursThatWaitedForItsBytes", false, true, true,
                               fw::kSocketPeerReset},
                    OurEndCase{"ResetBeforeOurs", true, false, true, fw::kSocketPeerReset},
                    OurEndCase{"InOrderBeforeOurs", true, false, false, fw::kSocketOtherError}),
    [](const testing::TestParamInfo<OurEndCase>& info) { return std::string(info.param.what); });

// A peer that reads slowly into a small buffer: a connection whose end goes behind bytes the
// peer has not had yet.
class SlowPeer : public testing::Test {
protected:
    void SetUp() override {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(listener, 0);
        const int small = 16384;  // taken over by the accepted connection
        setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
        ASSERT_EQ(::listen(listener, 1), 0);
        ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
        socket.Address = "127.0.0.1";
        socket.Port = ntohs(address.sin_port);
        socket.Error = [&](fw::TCPSocket& s) { endCode = s.LastErrorCode(); };
        socket.Connect();
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return socket.IsConnected(); }, 5000));
        peerFd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        ::close(listener);
        ASSERT_GE(peerFd, 0);
    }
    void TearDown() override {
        if (peerFd >= 0) ::close(peerFd);
    }

    // Writes the bytes and ends the sending; the peer reads until this end has gone, behind
    // bytes the peer has not had.
    void EndBehindUnreadBytes() {
        socket.Write(bytes);
        EXPECT_TRUE(socket.EndSending());
        char buffer[65536];
        ASSERT_TRUE(fw::RunEventLoopUntil(
            [&] {
                if (socket.BytesLeftToSend() > 0) {
                    const ssize_t n = ::recv(peerFd, buffer, sizeof buffer, MSG_DONTWAIT);
                    if (n > 0) received += static_cast<size_t>(n);
                }
                return !socket.IsConnected();
            },
            20000));
    }

    fw::TCPSocket socket;
    int32_t endCode = 0;
    int peerFd = -1;
    const std::string bytes = std::string(8 * 1024 * 1024, 'c');
    size_t received = 0;
};

// An abort is a reset even once this end has gone: a peer that reads on must not get the rest
// of the bytes and the end after them, and take them for a whole transfer.
TEST_F(SlowPeer, AnAbortAfterTheEndResetsTheConnection) {
    EndBehindUnreadBytes();
    socket.Abort();
    char buffer[65536];
    ssize_t n = 0;
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] {
            while ((n = ::recv(peerFd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
                received += static_cast<size_t>(n);
            return n == 0 || errno != EAGAIN;
        },
        20000));
    EXPECT_EQ(n, -1) << "the peer read the end after " << received << " bytes";
    EXPECT_EQ(errno, ECONNRESET);
    EXPECT_LT(received, bytes.size());
}

// The peer ends its side while this end and bytes before it are still on their way: its end
// crosses this one, and it had read neither. Whether it keeps its side open or resets the
// connection afterwards, that is no answer to this end.
class CrossingEnds : public SlowPeer, public testing::WithParamInterface<bool> {};

TEST_P(CrossingEnds, AreNoAnswerToThisEnd) {
    const bool resetAfter = GetParam();
    EndBehindUnreadBytes();
    ::shutdown(peerFd, SHUT_WR);
    if (resetAfter) {
        fw::RunEventLoopUntil([] { return false; }, 200);
        linger hard{1, 0};
        setsockopt(peerFd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        ::close(peerFd);
        peerFd = -1;
    }
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return endCode != 0; }, 5000));
    EXPECT_NE(endCode, fw::kSocketPeerClosed);
}

INSTANTIATE_TEST_SUITE_P(Ends, CrossingEnds, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ThenAReset" : "Alone");
                         });

}  // namespace
