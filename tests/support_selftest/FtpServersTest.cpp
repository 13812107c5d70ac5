// Proves the test servers work, with a bare socket as the client.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QHostAddress>
#include <QTcpSocket>
#include <fstream>
#include <regex>
#include <string>

#include "tests/support/FtpServers.h"

namespace {

using testing::StartsWith;
using testsupport::WaitUntil;

class RawFtpClient {
public:
    bool Connect(int port) {
        control_.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        WaitUntil([&] {
            return control_.state() == QAbstractSocket::ConnectedState ||
                   control_.state() == QAbstractSocket::UnconnectedState;
        });
        return control_.state() == QAbstractSocket::ConnectedState;
    }

    // One whole reply, continuation lines included, as the bytes that came.
    std::string ReadReply() {
        std::string reply, code;
        for (;;) {
            if (!WaitUntil([&] { return control_.canReadLine(); })) return reply + "<timeout>";
            std::string line = control_.readLine().toStdString();
            reply += line;
            if (code.empty()) {
                code = line.substr(0, 3);
                if (line.size() > 3 && line[3] == ' ') return reply;
            } else if (line.rfind(code + " ", 0) == 0) {
                return reply;
            }
        }
    }

    std::string Command(const std::string& command) {
        control_.write((command + "\r\n").c_str());
        return ReadReply();
    }

    bool LogIn(const std::string& user, const std::string& password) {
        if (ReadReply().rfind("220", 0) != 0) return false;
        std::string reply = Command("USER " + user);
        if (reply.rfind("331", 0) == 0) reply = Command("PASS " + password);
        return reply.rfind("230", 0) == 0;  // vsftpd takes "ftp" without asking a password
    }

    // PASV: the port it names, or 0.
    int PassivePort() {
        std::smatch m;
        std::string reply = Command("PASV");
        if (!std::regex_search(reply, m,
                               std::regex(R"(\((\d+),(\d+),(\d+),(\d+),(\d+),(\d+)\))"))) {
            return 0;
        }
        return std::stoi(m[5]) * 256 + std::stoi(m[6]);
    }

    // PASV, then the data connection to the port it names.
    bool OpenPassiveData() {
        int port = PassivePort();
        if (port == 0) return false;
        data_.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        return WaitUntil([&] { return data_.state() == QAbstractSocket::ConnectedState; });
    }

    void SendDataAndClose(const std::string& bytes) {
        data_.write(bytes.data(), static_cast<qint64>(bytes.size()));
        data_.disconnectFromHost();
        WaitUntil([&] { return data_.state() == QAbstractSocket::UnconnectedState; });
    }

    // STOR over the open data connection; answers the final reply.
    std::string Store(const std::string& remotePath, const std::string& bytes) {
        std::string preliminary = Command("STOR " + remotePath);
        if (preliminary.rfind("1", 0) != 0) return preliminary;
        SendDataAndClose(bytes);
        return ReadReply();
    }

    bool ControlClosed() {
        return WaitUntil([&] { return control_.state() == QAbstractSocket::UnconnectedState; });
    }

private:
    QTcpSocket control_;
    QTcpSocket data_;
};

std::string Upload(int port, const std::string& user, const std::string& password,
                   const std::string& type, const std::string& remotePath,
                   const std::string& bytes) {
    RawFtpClient client;
    if (!client.Connect(port)) return "<no connect>";
    if (!client.LogIn(user, password)) return "<no login>";
    client.Command("TYPE " + type);
    if (!client.OpenPassiveData()) return "<no data connection>";
    return client.Store(remotePath, bytes);
}

const std::string kLines = "one\r\ntwo\r\n";

TEST(PyFtpServerTest, StoresUploadsUnderItsRoot) {
    testsupport::PyFtpServer server;
    EXPECT_THAT(Upload(server.Port(), server.User(), server.Password(), "I", "/a.bin", kLines),
                StartsWith("226"))
        << server.LogText();
    EXPECT_EQ(testsupport::ReadFile(server.Root() + "/a.bin"), kLines);
    // pyftpdlib turns CR LF into LF in ASCII mode.
    Upload(server.Port(), server.User(), server.Password(), "A", "/a.txt", kLines);
    EXPECT_EQ(testsupport::ReadFile(server.Root() + "/a.txt"), "one\ntwo\n");
}

TEST(PyFtpServerTest, SendsMultiLineGreetingAndLoginAndMasqueradedPassiveAddress) {
    testsupport::PyFtpServer::Options options;
    options.banner = "Welcome\nto the test";
    options.loginMessage = "first\nsecond\nthird";
    options.masqueradeAddress = "10.1.2.3";
    testsupport::PyFtpServer server(options);
    RawFtpClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    EXPECT_EQ(client.ReadReply(), "220-Welcome\r\n220 to the test\r\n");
    client.Command("USER " + server.User());
    EXPECT_EQ(client.Command("PASS " + server.Password()), "230-first\r\nsecond\r\n230 third\r\n");
    EXPECT_NE(client.Command("PASV").find("(10,1,2,3,"), std::string::npos);
}

TEST(PyFtpServerTest, BreaksTheFirstStorAfterTheGivenBytes) {
    testsupport::PyFtpServer::Options options;
    options.abortStorAfterBytes = 10;
    options.abortStorTimes = 1;
    testsupport::PyFtpServer server(options);
    const std::string big(200000, 'x');
    EXPECT_THAT(Upload(server.Port(), server.User(), server.Password(), "I", "/big", big),
                StartsWith("426"));
    EXPECT_EQ(testsupport::ReadFile(server.Root() + "/big"), std::string(10, 'x'));
    EXPECT_THAT(Upload(server.Port(), server.User(), server.Password(), "I", "/big", big),
                StartsWith("226"));
    EXPECT_EQ(testsupport::ReadFile(server.Root() + "/big").size(), big.size());
}

TEST(VsftpdServerTest, StoresUploadsAsSentInItsWritableFolder) {
    testsupport::VsftpdServer server;
    for (const std::string type : {"I", "A"}) {
        std::string remote = server.RemoteWritableDir() + "/f" + type;
        EXPECT_THAT(Upload(server.Port(), server.User(), server.Password(), type, remote, kLines),
                    StartsWith("226"))
            << server.LogText();
        EXPECT_EQ(testsupport::ReadFile(server.WritableDir() + "/f" + type), kLines);
    }
    if (geteuid() == 0) {  // run by another user, vsftpd's root is that user's to write
        EXPECT_THAT(Upload(server.Port(), server.User(), server.Password(), "I",
                           server.RemotePath("/top"), kLines),
                    StartsWith("553"));
    }
}

TEST(VsftpdServerTest, GreetsWithTheGivenBannerAndServesSampleContent) {
    const struct {
        std::string banner, greeting;
    } cases[] = {
        {"Test banner", "220 Test banner\r\n"},
        {"Line one\nLine two", "220-Line one\r\n220-Line two\r\n220 \r\n"},
    };
    for (const auto& c : cases) {
        testsupport::VsftpdServer::Options options;
        options.banner = c.banner;
        options.createSampleContent = true;
        testsupport::VsftpdServer server(options);
        RawFtpClient client;
        ASSERT_TRUE(client.Connect(server.Port()));
        EXPECT_EQ(client.ReadReply(), c.greeting);
        client.Command("USER " + server.User());
        EXPECT_EQ(client.Command("SIZE " + server.RemotePath("/pub/data.bin")), "213 256\r\n");
    }
}

// Client connections hold ports of the ephemeral range, thousands at once in a long run (each
// for a minute in TIME_WAIT), and the program listens on 1025-1124 in active mode: a passive port
// drawn among them can be in use, and vsftpd ends the session when a few draws in a row are.
TEST(VsftpdServerTest, OpensPassivePortsOutsideTheEphemeralRangeAndTheActivePorts) {
    int ephemeralFirst = 0, ephemeralLast = 0;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> ephemeralFirst >> ephemeralLast;
    ASSERT_GT(ephemeralLast, 0);
    testsupport::VsftpdServer server;
    RawFtpClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    ASSERT_TRUE(client.LogIn(server.User(), server.Password()));
    // Drawn from the whole port space, twenty in a row would miss the ephemeral range about once
    // in 100,000 times.
    for (int i = 0; i < 20; ++i) {
        const int port = client.PassivePort();
        EXPECT_GT(port, 1124);
        EXPECT_TRUE(port < ephemeralFirst || port > ephemeralLast)
            << port << " is in " << ephemeralFirst << "-" << ephemeralLast;
    }
}

TEST(ServerFixturesTest, ReportWhyAServerCannotStart) {
    testsupport::VsftpdServer::Options vsftpdOptions;
    vsftpdOptions.extraConfig = {"no_such_setting=YES"};
    EXPECT_THAT([&] { testsupport::VsftpdServer server(vsftpdOptions); },
                testing::ThrowsMessage<std::runtime_error>(testing::HasSubstr("no_such_setting")));
    testsupport::PyFtpServer::Options pyOptions;
    pyOptions.permissions = "elrZ";
    EXPECT_THAT(
        [&] { testsupport::PyFtpServer server(pyOptions); },
        testing::ThrowsMessage<std::runtime_error>(testing::HasSubstr("no such permission")));
}

TEST(ServerFixturesTest, StopTheirServersAndSessions) {
    RawFtpClient pySession, vsftpdSession;
    int pyPort = 0, vsftpdPort = 0;
    {
        testsupport::PyFtpServer py;
        testsupport::VsftpdServer vsftpd;
        pyPort = py.Port();
        vsftpdPort = vsftpd.Port();
        ASSERT_TRUE(pySession.Connect(pyPort));
        ASSERT_TRUE(vsftpdSession.Connect(vsftpdPort));
        ASSERT_THAT(vsftpdSession.ReadReply(), StartsWith("220"));
    }
    EXPECT_TRUE(pySession.ControlClosed());
    EXPECT_TRUE(vsftpdSession.ControlClosed());
    for (int port : {pyPort, vsftpdPort}) {
        RawFtpClient late;
        EXPECT_FALSE(late.Connect(port)) << port;
    }
}

TEST(ScriptedFtpServerTest, PlaysBothEndsOfControlAndData) {
    testsupport::ScriptedFtpServer server;
    server.OnConnected = [&] { server.Send("220 scripted\r\n"); };
    server.OnLine = [&](const std::string& line) {
        if (line.rfind("USER", 0) == 0) server.Send("331 go on\r\n");
        if (line.rfind("STOR", 0) == 0) server.Send("150 here\r\n");
        if (line == "PASV") {
            server.Send(testsupport::ScriptedFtpServer::Pasv227Text(server.OpenPassiveDataPort()) +
                        "\r\n");
        }
    };
    RawFtpClient client;
    ASSERT_TRUE(client.Connect(server.Port()));
    EXPECT_EQ(client.ReadReply(), "220 scripted\r\n");
    EXPECT_EQ(client.Command("USER me"), "331 go on\r\n");
    ASSERT_TRUE(client.OpenPassiveData());
    ASSERT_TRUE(server.WaitForDataConnection());

    EXPECT_EQ(client.Command("STOR /x"), "150 here\r\n");
    client.SendDataAndClose("uploaded");
    EXPECT_TRUE(WaitUntil([&] { return server.DataClosedByClient(); }));
    EXPECT_EQ(server.DataReceived(), "uploaded");
    server.Send("226 done\r\n");
    EXPECT_EQ(client.ReadReply(), "226 done\r\n");
    EXPECT_TRUE(server.WaitForLine("STOR /x"));
    EXPECT_EQ(server.ReceivedLines(), (std::vector<std::string>{"USER me", "PASV", "STOR /x"}));

    server.CloseClient();
    EXPECT_TRUE(client.ControlClosed());
    EXPECT_FALSE(server.Connected());
}

}  // namespace
