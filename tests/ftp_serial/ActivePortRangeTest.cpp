// The active data ports 1024 to 1123: a busy one is passed over, and with all of them busy no PORT
// is sent. Run on its own: it takes the whole range.
#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpServer>
#include <memory>
#include <vector>

#include "framework/Strings.h"
#include "ftp/FtpErrorCodes.h"
#include "tests/ftp/ScriptedSession.h"

namespace {

class ActivePortRange : public testing::Test {
protected:
    void Occupy(int except) {
        for (int port = 1024; port < 1124; ++port) {
            if (port == except) continue;
            auto server = std::make_unique<QTcpServer>();
            if (server->listen(QHostAddress("127.0.0.1"), static_cast<quint16>(port)))
                taken.push_back(std::move(server));
        }
    }
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
    Occupy(1077);
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
    Occupy(-1);
    s.client.command.getList();
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.dataErrors.empty(); }));
    EXPECT_EQ(s.client.dataErrors[0], FtpNoActivePort);
    EXPECT_EQ(s.server.CountLines("PORT"), 0);
}

}  // namespace
