// The representation type on the wire: a file goes up as its bytes, so that a text keeps the
// line ends it was given on every server; and TYPE is sent only when a transfer needs another
// type than the one the server has on this connection.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/ftp/FtpClientHarness.h"
#include "tests/ftp/RealFtpServer.h"
#include "tests/ftp/ScriptedSession.h"

namespace {

std::string LocalFile(const std::string& name, const std::string& bytes) {
    std::string path = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/" + name;
    testsupport::WriteFile(path, bytes);
    return path;
}

struct TextCase {
    ServerKind kind;
    int lineEndMode;
    const char* stored;
};

std::string TextCaseName(const testing::TestParamInfo<TextCase>& info) {
    const int mode = info.param.lineEndMode;
    return std::string(info.param.kind == ServerKind::Pyftpdlib ? "Pyftpdlib" : "Vsftpd") + "Mode" +
           std::to_string(mode) +
           (mode == 0   ? "LF"
            : mode == 1 ? "CRLF"
                        : "CR");
}

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << TextCaseName({c, 0});
}

class TextUpload : public testing::TestWithParam<TextCase> {};

// pyftpdlib follows RFC 959: under TYPE A it would store CR LF as its own LF and take a lone CR
// as it came, so only bytes sent as they are arrive as the profile's line ends.
TEST_P(TextUpload, IsStoredWithTheProfilesLineEndsByteForByte) {
    RealFtpServer server(GetParam().kind);
    FtpClientHarness client;
    client.Connect(server.Port(), server.User(), server.Password(), true);
    ASSERT_TRUE(client.WaitForLogin()) << server.Log();
    client.data.lineEndMode = GetParam().lineEndMode;
    ASSERT_TRUE(
        client.Store(LocalFile("page.html", "a\r\nb\rc\n"), server.Remote("page.html"), "A"));
    EXPECT_EQ(testsupport::ReadFile(server.Local("page.html")), GetParam().stored) << server.Log();
    EXPECT_EQ(client.bytes, 6);  // counted in the LF form
}

INSTANTIATE_TEST_SUITE_P(Servers, TextUpload,
                         testing::Values(TextCase{ServerKind::Pyftpdlib, 0, "a\nb\nc\n"},
                                         TextCase{ServerKind::Pyftpdlib, 1, "a\r\nb\r\nc\r\n"},
                                         TextCase{ServerKind::Pyftpdlib, 2, "a\rb\rc\r"},
                                         TextCase{ServerKind::Pyftpdlib, 5, "a\rb\rc\r"},
                                         TextCase{ServerKind::Vsftpd, 0, "a\nb\nc\n"},
                                         TextCase{ServerKind::Vsftpd, 1, "a\r\nb\r\nc\r\n"},
                                         TextCase{ServerKind::Vsftpd, 2, "a\rb\rc\r"},
                                         TextCase{ServerKind::Vsftpd, 5, "a\rb\rc\r"}),
                         TextCaseName);

// The commands pyftpdlib received with one of these verbs, in order, as "VERB argument".
std::vector<std::string> Received(const testsupport::PyFtpServer& server,
                                  const std::vector<std::string>& verbs) {
    std::vector<std::string> found;
    const std::string log = server.LogText();
    for (size_t at = log.find("<- "); at != std::string::npos; at = log.find("<- ", at + 1)) {
        const size_t end = log.find('\n', at);
        const std::string command =
            log.substr(at + 3, end == std::string::npos ? end : end - at - 3);
        for (const std::string& verb : verbs)
            if (command.rfind(verb, 0) == 0) found.push_back(command.substr(0, verb.size() + 2));
    }
    return found;
}

class TransferTypeOnTheWire : public testing::Test {
protected:
    void SetUp() override {
        testsupport::PyFtpServer::Options options;
        options.logCommands = true;
        server = std::make_unique<testsupport::PyFtpServer>(options);
        testsupport::WriteFile(server->Root() + "/get.txt", "one\r\ntwo\r\n");
        ConnectAndLogIn();
    }
    void ConnectAndLogIn() {
        const int before = client.loginCount;
        client.Connect(server->Port(), server->User(), server->Password(), true);
        ASSERT_TRUE(client.WaitFor([&] { return client.loginCount > before; }))
            << server->LogText();
    }
    bool Download(const std::string& type) {
        const int before = client.transfersComplete;
        client.command.getFile("/get.txt", LocalFile("got.txt", ""), type, "", "");
        return client.WaitFor([&] {
            return client.transfersComplete > before || !client.serverErrors.empty() ||
                   !client.dataErrors.empty();
        }) && client.transfersComplete > before;
    }
    // The letters of TYPE and the first letter of every transfer, in the order the server got
    // them: "I" for TYPE I, "S" for STOR, "R" for RETR.
    std::string Wire() const {
        std::string wire;
        for (const std::string& c : Received(*server, {"TYPE", "STOR", "RETR"}))
            wire += c[0] == 'T' ? std::string(1, c[5]) : std::string(1, c[0]);
        return wire;
    }

    std::unique_ptr<testsupport::PyFtpServer> server;
    FtpClientHarness client;
};

TEST_F(TransferTypeOnTheWire, FilesOfOneKindAfterAnotherSendTypeOnce) {
    for (const char* name : {"a.html", "b.bin", "c.css", "d.jpg"}) {
        const bool text = name[2] == 'h' || name[2] == 'c';
        ASSERT_TRUE(client.Store(LocalFile(name, "x\n"), std::string("/") + name, text ? "A" : "I"))
            << name << server->LogText();
    }
    EXPECT_EQ(Wire(), "ISSSS");
    EXPECT_EQ(client.command.ServerType(), "I");
}

// A text download wants the server's text form, so the type changes at each change of kind.
TEST_F(TransferTypeOnTheWire, ADownloadAmongUploadsSendsTypeAtEachChange) {
    ASSERT_TRUE(client.Store(LocalFile("a.html", "x\n"), "/a.html", "A"));
    ASSERT_TRUE(Download("A")) << server->LogText();
    ASSERT_TRUE(Download("A")) << server->LogText();
    EXPECT_EQ(testsupport::ReadFile(std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/got.txt"),
              "one\ntwo\n")
        << "sent as text";
    ASSERT_TRUE(client.Store(LocalFile("b.html", "y\n"), "/b.html", "A"));
    ASSERT_TRUE(Download("I")) << server->LogText();
    EXPECT_EQ(Wire(), "ISARRISR");
}

TEST_F(TransferTypeOnTheWire, ANewConnectionSendsTypeAgainOnce) {
    ASSERT_TRUE(client.Store(LocalFile("a.bin", "1"), "/a.bin", "I"));
    client.command.Close();
    ConnectAndLogIn();
    EXPECT_EQ(client.command.ServerType(), "");
    ASSERT_TRUE(client.Store(LocalFile("b.bin", "2"), "/b.bin", "I"));
    ASSERT_TRUE(client.Store(LocalFile("c.bin", "3"), "/c.bin", "I"));
    EXPECT_EQ(Wire(), "ISISS");
}

// A letter other than A or I (a table edited by hand) is the server's to refuse, as it always was:
// it is not taken for text.
TEST_F(TransferTypeOnTheWire, ATypeLetterOtherThanAOrIIsLeftToTheServer) {
    EXPECT_FALSE(client.Store(LocalFile("odd.dat", "1\n"), "/odd.dat", "Z"));
    ASSERT_EQ(client.serverErrorCodes.size(), 1u);
    EXPECT_EQ(client.serverErrorCodes[0] / 100, 5);
    EXPECT_EQ(Received(*server, {"TYPE", "STOR"}), std::vector<std::string>{"TYPE Z"});
    EXPECT_FALSE(std::filesystem::exists(server->Root() + "/odd.dat"));
}

// A refused TYPE leaves the server's type unknown: the next transfer asks for it again.
TEST(RefusedType, IsAskedForAgainByTheNextTransfer) {
    ScriptedSession s;
    int typesSeen = 0;
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("TYPE", 0) != 0) return false;
        s.server.Send(++typesSeen == 1 ? "504 Not now\r\n" : "200 Type set\r\n");
        return true;
    };
    ASSERT_TRUE(s.ConnectAndLogIn());
    const std::string file = LocalFile("r.bin", "r");
    // An upload answers the number of its first command, the TYPE.
    const int64_t written = s.client.command.CommandsWritten();
    EXPECT_EQ(s.client.command.storFile(file, "/r.bin", "I"), written + 1);
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.serverErrors.empty(); }));
    EXPECT_EQ(s.client.command.ServerType(), "");
    EXPECT_EQ(s.client.command.storFile(file, "/r.bin", "I"), written + 2);
    ASSERT_TRUE(s.server.WaitForLine("PASV"));
    EXPECT_EQ(s.client.command.ServerType(), "I");
    std::vector<std::string> types;
    for (const std::string& line : s.server.ReceivedLines())
        if (line.rfind("TYPE", 0) == 0) types.push_back(line);
    EXPECT_EQ(types, (std::vector<std::string>{"TYPE I", "TYPE I"}));
}

}  // namespace
