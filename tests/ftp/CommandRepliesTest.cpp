// Which command a reply answers: every command of the control connection sets the state its reply
// is awaited in, so that a reply is never taken for the answer to an earlier command, and every
// final reply carries the number of the command it answers (the sync run's steps complete on it).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ftp/RealFtpServer.h"
#include "tests/ftp/ScriptedSession.h"

namespace {

// What the window's commands leave behind: the state of a command whose reply came, and then a
// command whose reply must not be read in that state.
struct StaleState {
    std::string name;
    bool cwdSucceeds;   // the CWD before is confirmed (PWD follows) or refused
    std::string verb;   // the command after it: MKD, DELE or RMD
    std::string reply;  // its success reply
};

void PrintTo(const StaleState& c, std::ostream* os) {
    *os << c.name;
}

class StaleStateTest : public testing::TestWithParam<StaleState> {
protected:
    ScriptedSession s;
};

TEST_P(StaleStateTest, TheReplyToALaterCommandMovesNothingOfAnEarlierOne) {
    const StaleState& c = GetParam();
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("CWD", 0) == 0 && !c.cwdSucceeds) {
            s.server.Send("550 No such folder\r\n");
            return true;
        }
        if (line.rfind(c.verb, 0) == 0) {
            s.server.Send(c.reply + "\r\n");
            return true;
        }
        return false;
    };
    ASSERT_TRUE(s.ConnectAndLogIn());
    s.client.command.sendCWD("/www");
    if (c.cwdSucceeds)
        ASSERT_TRUE(s.client.WaitFor([&] { return s.client.dirChanges.size() == 1; }));
    else
        ASSERT_TRUE(s.client.WaitFor([&] { return s.client.serverErrors.size() == 1; }));
    const int pwdBefore = s.server.CountLines("PWD");

    if (c.verb == "MKD")
        s.client.command.makeDirectory("/www/new");
    else if (c.verb == "DELE")
        s.client.command.deleteFile("/www/old.txt");
    else
        s.client.command.deleteDirectory("/www/old");
    ASSERT_TRUE(s.client.WaitForReply(std::stoi(c.reply.substr(0, 3))));
    // A command written after the reply is the next line the server sees: nothing came between.
    s.client.command.sendCWD("/after");
    ASSERT_TRUE(s.server.WaitForLine("CWD /after"));
    const std::vector<std::string> lines = s.server.ReceivedLines();
    EXPECT_EQ(lines[lines.size() - 2].substr(0, c.verb.size()), c.verb);
    EXPECT_EQ(s.server.CountLines("PWD"), pwdBefore);
    EXPECT_EQ(s.client.dirChanges.size(), c.cwdSucceeds ? 1u : 0u);
    EXPECT_EQ(s.client.command.status, "cwd");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, StaleStateTest,
    testing::Values(StaleState{"MkdAfterConfirmedCwd", true, "MKD", "257 \"/www/new\" created"},
                    StaleState{"MkdAfterRefusedCwd", false, "MKD", "257 \"/www/new\" created"},
                    StaleState{"DeleAfterRefusedCwd", false, "DELE", "250 Deleted"},
                    StaleState{"DeleAfterConfirmedCwd", true, "DELE", "250 Deleted"},
                    StaleState{"RmdAfterRefusedCwd", false, "RMD", "250 Removed"}),
    [](const testing::TestParamInfo<StaleState>& info) { return info.param.name; });

// The numbers of the commands the replies answer, as the control connection reports them.
class ReplyNumbers {
public:
    explicit ReplyNumbers(FtpClientHarness& client) {
        client.onResponse = [this](FtpCommandSocket& socket, const std::string& line) {
            if (socket.ReplyAnswers() != 0)
                answered.push_back({line.substr(0, 3), socket.ReplyAnswers()});
        };
        client.command.gotServerError = [this, &client](FtpCommandSocket& socket,
                                                        const std::string& text) {
            answered.push_back({text.substr(0, 3), socket.ReplyAnswers()});
            client.serverErrors.push_back(text);
        };
    }
    struct Answer {
        std::string code;
        int64_t command;
        bool operator==(const Answer&) const = default;
    };
    std::vector<Answer> answered;
};

void PrintTo(const ReplyNumbers::Answer& a, std::ostream* os) {
    *os << a.code << "->" << a.command;
}

TEST(ReplyNumbering, FinalRepliesAnswerTheCommandsInTheOrderTheyWereWritten) {
    // Preliminary replies and the lines before a multi-line reply's last answer nothing; an error
    // reply and a silently retried login count like any other.
    ScriptedSession s;
    ReplyNumbers numbers(s.client);
    int passes = 0;
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("PASS", 0) == 0 && ++passes == 1) {
            s.server.Send("530 Try again\r\n");
            return true;
        }
        if (line.rfind("MKD /a", 0) == 0) {
            s.server.Send("257-Making\r\n257-still\r\n257 \"/a\" created\r\n");
            return true;
        }
        if (line.rfind("MKD /b", 0) == 0) {
            s.server.Send("550 Not allowed\r\n");
            return true;
        }
        if (line.rfind("DELE", 0) == 0) {
            s.server.Send("110 Restart marker\r\n250 Gone\r\n");
            return true;
        }
        return false;
    };
    ASSERT_TRUE(s.ConnectAndLogIn());
    // The connection 1, USER 2, PASS 3 (refused), USER 4, PASS 5, PWD 6.
    // Each command answers its own number, the one its final reply will carry.
    EXPECT_EQ(s.client.command.makeDirectory("/a"), 7);
    EXPECT_EQ(s.client.command.makeDirectory("/b"), 8);
    EXPECT_EQ(s.client.command.deleteFile("/c"), 9);
    ASSERT_TRUE(s.client.WaitForReply(250));
    using A = ReplyNumbers::Answer;
    EXPECT_EQ(numbers.answered, (std::vector<A>{{"220", 1},
                                                {"331", 2},
                                                {"331", 4},
                                                {"230", 5},
                                                {"257", 6},
                                                {"257", 7},
                                                {"550", 8},
                                                {"250", 9}}));
    EXPECT_EQ(s.client.command.CommandsWritten(), 9);
}

class RealServerReplies : public testing::TestWithParam<ServerKind> {
protected:
    void SetUp() override {
        server = std::make_unique<RealFtpServer>(GetParam());
        client.Connect(server->Port(), server->User(), server->Password(), true);
        ASSERT_TRUE(client.WaitForLogin());
    }
    std::unique_ptr<RealFtpServer> server;
    FtpClientHarness client;
};

TEST_P(RealServerReplies, FolderAndRemovalRepliesLeaveTheWorkingFolderAlone) {
    ReplyNumbers numbers(client);
    server->Put("old.txt", "x");
    ASSERT_TRUE(client.ChangeDir(server->RemoteDir()));
    const size_t changes = client.dirChanges.size();

    const int64_t mkd = client.command.makeDirectory(server->Remote("made")).value_or(0);
    ASSERT_TRUE(client.WaitForReply(257));
    client.command.sendCWD(server->Remote("nowhere"));
    ASSERT_TRUE(client.WaitFor([&] { return client.serverErrors.size() == 1; }));
    client.command.deleteFile(server->Remote("old.txt"));
    ASSERT_TRUE(client.WaitForReply(250));
    client.command.deleteDirectory(server->Remote("made"));
    ASSERT_TRUE(client.WaitFor(
        [&] { return !numbers.answered.empty() && numbers.answered.back().command == mkd + 3; }));

    EXPECT_EQ(client.dirChanges.size(), changes) << "no listing is started by an MKD";
    EXPECT_FALSE(std::filesystem::exists(server->Local("made")));
    EXPECT_FALSE(std::filesystem::exists(server->Local("old.txt")));
    using A = ReplyNumbers::Answer;
    const std::vector<A> tail(numbers.answered.end() - 4, numbers.answered.end());
    EXPECT_EQ(tail,
              (std::vector<A>{{"257", mkd}, {"550", mkd + 1}, {"250", mkd + 2}, {"250", mkd + 3}}))
        << server->Log();
}

TEST_P(RealServerReplies, AnUploadIsAnsweredByItsFinalReplyNotByThePreliminaryOne) {
    ReplyNumbers numbers(client);
    const std::string local = testsupport::TempFolder("replies").Path() + "-file.bin";
    ASSERT_TRUE(testsupport::WriteFile(local, std::string(5000, 'q')));
    const int64_t written = client.command.CommandsWritten();
    ASSERT_TRUE(client.Store(local, server->Remote("up.bin"), "I"));
    using A = ReplyNumbers::Answer;
    EXPECT_EQ(numbers.answered,
              (std::vector<A>{{"200", written + 1}, {"227", written + 2}, {"226", written + 3}}));
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServerReplies,
                         testing::Values(ServerKind::Pyftpdlib, ServerKind::Vsftpd),
                         [](const testing::TestParamInfo<ServerKind>& info) {
                             return info.param == ServerKind::Pyftpdlib ? "Pyftpdlib" : "Vsftpd";
                         });

}  // namespace
