// Active mode: the data connection listens, and only the server we talk to may connect to it; an
// upload goes out on the server's connection whenever it comes.
#include <gtest/gtest.h>

#include <QHostAddress>
#include <QTcpSocket>

#include "framework/Strings.h"
#include "tests/ftp/ScriptedSession.h"
#include "tests/support/TestFiles.h"

namespace {

int PortNamedBy(const std::string& portLine) {
    std::string arg = portLine.substr(5);
    return static_cast<int>(fw::Val(fw::NthField(arg, ",", 5)) * 256 +
                            fw::Val(fw::NthField(arg, ",", 6)));
}

TEST(ActiveMode, OnlyTheServersAddressMayConnectToTheDataPort) {
    ScriptedSession s;
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("PORT", 0) != 0) return false;
        s.server.Send("200 PORT ok\r\n");
        return true;
    };
    ASSERT_TRUE(s.ConnectAndLogIn(false));
    s.client.command.getList();
    ASSERT_TRUE(s.server.WaitForLine("LIST"));
    std::string portLine;
    for (const std::string& l : s.server.ReceivedLines())
        if (l.rfind("PORT 127,0,0,1,", 0) == 0) portLine = l;
    ASSERT_FALSE(portLine.empty());
    int port = PortNamedBy(portLine);
    EXPECT_GE(port, 1025);
    EXPECT_LE(port, 1124);

    // Another host (127.0.0.2 is another address of the loopback) is turned away.
    QTcpSocket intruder;
    ASSERT_TRUE(intruder.bind(QHostAddress("127.0.0.2"), 0));
    intruder.connectToHost(QHostAddress("127.0.0.1"), static_cast<quint16>(port));
    ASSERT_TRUE(
        s.client.WaitFor([&] { return intruder.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(s.client.dataConnects, 0);

    s.server.ConnectData(port);
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.dataConnects == 1; }));
    s.server.Send("150 Here it comes\r\n");
    s.server.SendData("-rw-r--r-- 1 u g 5 Jan 01 2026 a.txt\r\n");
    s.server.CloseData();
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.lists.size() == 1; }));
    EXPECT_EQ(s.client.lists[0], "-rw-r--r-- 1 u g 5 Jan 01 2026 a.txt\r\n");
    EXPECT_FALSE(s.client.data.IsListening());
}

// The server accepts STOR before it connects to the client's data port: the upload, started at
// the 150, waits for the connection instead of writing into none.
TEST(ActiveMode, AnUploadAcceptedBeforeTheServerConnectsGoesOutWhole) {
    ScriptedSession s;
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("PORT", 0) == 0)
            s.server.Send("200 PORT ok\r\n");
        else if (line.rfind("STOR", 0) == 0)
            s.server.Send("150 Ok to send data\r\n");
        else
            return false;
        return true;
    };
    ASSERT_TRUE(s.ConnectAndLogIn(false));
    std::string bytes;
    for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i * 13 % 256);
    const std::string local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/late.bin";
    ASSERT_TRUE(testsupport::WriteFile(local, bytes));
    s.client.command.storFile(local, "/late.bin", "I");
    ASSERT_TRUE(s.client.WaitForReply(150));
    std::string portLine;
    for (const std::string& l : s.server.ReceivedLines())
        if (l.rfind("PORT ", 0) == 0) portLine = l;
    ASSERT_FALSE(portLine.empty());

    s.server.ConnectData(PortNamedBy(portLine));
    ASSERT_TRUE(s.client.WaitFor([&] { return s.server.DataClosedByClient(); }));
    EXPECT_TRUE(s.server.DataReceived() == bytes) << s.server.DataReceived().size() << " bytes";
    s.server.Send("226 Transfer complete\r\n");
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.transfersComplete == 1; }));
    EXPECT_TRUE(s.client.dataErrors.empty());
}

}  // namespace
