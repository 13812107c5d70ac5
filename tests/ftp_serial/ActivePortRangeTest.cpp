// The active data ports 1025 to 1124: a busy one is passed over, with all of them busy no PORT is
// sent, and port 1024, which some servers take as privileged, is never offered. Run on its own: it
// takes the whole range.
#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <memory>
#include <vector>

#include "framework/Strings.h"
#include "ftp/FtpErrorCodes.h"
#include "tests/ftp/ScriptedSession.h"

namespace {

constexpr int kFirstActivePort = 1025;
constexpr int kLastActivePort = 1124;

int PortNamedBy(const std::string& portLine) {
    std::string arg = portLine.substr(5);
    return static_cast<int>(fw::Val(fw::NthField(arg, ",", 5)) * 256 +
                            fw::Val(fw::NthField(arg, ",", 6)));
}

class ActivePortRange : public testing::Test {
protected:
    // Listens on every port from first to last but except, so the client cannot take them.
    void Occupy(int first, int last, int except = -1) {
        for (int port = first; port <= last; ++port) {
            if (port == except) continue;
            auto server = std::make_unique<QTcpServer>();
            if (server->listen(QHostAddress("127.0.0.1"), static_cast<quint16>(port)))
                taken.push_back(std::move(server));
        }
    }
    void Free() { taken.clear(); }
    std::vector<std::unique_ptr<QTcpServer>> taken;
    ScriptedSession s;
};

TEST_F(ActivePortRange, ABusyPortIsPassedOver) {
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("PORT", 0) != 0) return false;
        s.server.Send("200 ok\r\n");
        return true;
    };
    ASSERT_TRUE(s.ConnectAndLogIn(false));
    Occupy(kFirstActivePort, kLastActivePort, 1077);
    for (int i = 0; i < 3; ++i) {
        s.client.command.getList();
        ASSERT_TRUE(s.server.WaitForLine("PORT", 10000, i + 1));
        s.client.data.AbandonTransfer();
    }
    for (const std::string& l : s.server.ReceivedLines()) {
        if (l.rfind("PORT", 0) == 0) {
            EXPECT_EQ(l, "PORT 127,0,0,1,4,53");
        }
    }
}

TEST_F(ActivePortRange, WithEveryPortBusyNoPortCommandIsSent) {
    ASSERT_TRUE(s.ConnectAndLogIn(false));
    Occupy(kFirstActivePort, kLastActivePort);
    s.client.command.getList();
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.dataErrors.empty(); }));
    EXPECT_EQ(s.client.dataErrors[0], FtpNoActivePort);
    EXPECT_EQ(s.server.CountLines("PORT"), 0);
}

// A server that takes ports up to 1024 as privileged, as inetutils ftpd does, and otherwise
// connects to the port it is given and sends a one-line listing.
class PrivilegedPortServer : public ActivePortRange {
protected:
    void SetUp() override {
        s.OnCommand = [&](const std::string& line) {
            if (line.rfind("PORT", 0) == 0) {
                const int port = PortNamedBy(line);
                offered.push_back(port);
                s.server.Send(port <= 1024 ? "500 Illegal PORT Command\r\n"
                                           : "200 PORT command successful.\r\n");
            } else if (line == "LIST") {
                s.server.ConnectData(offered.back());
                s.server.Send("150 Here comes the directory listing.\r\n");
            } else {
                return false;
            }
            return true;
        };
        ASSERT_TRUE(s.ConnectAndLogIn(false));
    }

    // Lists the folder `times` times, each once the last has ended; answers how many listings
    // came whole (the first failure ends the run).
    int ListRepeatedly(int times) {
        for (int i = 0; i < times; ++i) {
            s.client.command.getList();
            const bool listed = s.client.WaitFor([&] {
                return s.server.CountLines("LIST") > i || !s.client.serverErrors.empty() ||
                       !s.client.dataErrors.empty();
            });
            if (!listed || s.server.CountLines("LIST") <= i) return i;
            if (!s.server.WaitForDataConnection()) return i;
            s.server.SendData("-rw-r--r-- 1 u g 5 Jan 01 2026 a.txt\r\n");
            s.server.CloseData();
            if (!s.client.WaitFor([&] { return s.client.lists.size() > static_cast<size_t>(i); }))
                return i;
            s.server.Send("226 Directory send OK.\r\n");
            if (!s.client.WaitForReply(226)) return i;
        }
        return times;
    }

    std::vector<int> offered;
};

TEST_F(PrivilegedPortServer, PortTenTwentyFourIsNeverOffered) {
    // With every port between the two ends busy, the draw can only land on an end.
    Occupy(kFirstActivePort, kLastActivePort - 1);
    EXPECT_EQ(ListRepeatedly(3), 3) << s.client.serverErrors.size() << " replies refused";
    EXPECT_EQ(offered, std::vector<int>(3, kLastActivePort));
    // Over many listings with the range free, every port offered is one of the range.
    Free();
    offered.clear();
    const int listings = 300;
    EXPECT_EQ(ListRepeatedly(listings), listings)
        << s.client.serverErrors.size() << " replies refused";
    EXPECT_EQ(offered.size(), static_cast<size_t>(listings));
    for (int port : offered) {
        EXPECT_GE(port, kFirstActivePort);
        EXPECT_LE(port, kLastActivePort);
    }
    EXPECT_TRUE(s.client.serverErrors.empty());
    EXPECT_TRUE(s.client.dataErrors.empty());
}

}  // namespace
