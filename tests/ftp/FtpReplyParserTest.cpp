// How the control connection reads replies: lines split across segments, multi-line replies,
// error replies, the login's retry and the greeting, against a server the test plays.
#include <gtest/gtest.h>

#include "framework/Thread.h"
#include "ftp/FtpErrorCodes.h"
#include "tests/ftp/ScriptedSession.h"

namespace {

class ReplyParser : public testing::Test {
protected:
    // Runs the loop until the client's buffer holds exactly this partial text.
    bool WaitForBuffered(const std::string& text) {
        return s.client.WaitFor([&] { return s.client.command.result == text; }, 5000);
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (const auto& r : s.client.responses) lines.push_back(r.line);
        return lines;
    }
    ScriptedSession s;
};

TEST_F(ReplyParser, ALineWaitsForItsLineEnd) {
    s.sendGreeting = false;
    s.Connect();
    s.server.Send("220 Ser");
    ASSERT_TRUE(WaitForBuffered("220 Ser"));
    EXPECT_TRUE(s.client.responses.empty());
    EXPECT_EQ(s.server.CountLines("USER"), 0);

    s.server.Send("vice ready\r\n");
    ASSERT_TRUE(s.server.WaitForLine("USER user"));
    ASSERT_EQ(Lines(), std::vector<std::string>{"220 Service ready"});
    EXPECT_TRUE(s.client.responses[0].completesReply);
    EXPECT_EQ(s.client.responses[0].code, 220);
}

TEST_F(ReplyParser, ACRLFSplitBetweenSegmentsEndsTheLine) {
    s.sendGreeting = false;
    s.Connect();
    s.server.Send("220 ready\r");
    ASSERT_TRUE(WaitForBuffered("220 ready\r"));
    s.server.Send("\n");
    ASSERT_TRUE(s.server.WaitForLine("USER"));
    EXPECT_EQ(Lines(), std::vector<std::string>{"220 ready"});
}

TEST_F(ReplyParser, AMultiLineGreetingStartsTheLoginOnceItIsComplete) {
    s.sendGreeting = false;
    s.Connect();
    s.server.Send("220-Welcome\r\n220-Second line\r\n");
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.responses.size() == 2; }));
    EXPECT_EQ(s.server.CountLines("USER"), 0);
    EXPECT_FALSE(s.client.responses[0].completesReply);
    EXPECT_FALSE(s.client.responses[1].completesReply);

    s.server.Send("220 Ready\r\n");
    ASSERT_TRUE(s.client.WaitForLogin());
    EXPECT_EQ(s.server.CountLines("USER"), 1);
    EXPECT_TRUE(s.client.responses[2].completesReply);
    EXPECT_EQ(s.client.responses[2].code, 220);
}

TEST_F(ReplyParser, ContinuationLinesThatLookLikeRepliesBelongToTheirReply) {
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("PASS", 0) != 0) return false;
        s.server.Send("230-Welcome\r\n200 this is still the welcome\r\n230-\r\n230 Logged in\r\n");
        return true;
    };
    ASSERT_TRUE(s.ConnectAndLogIn());
    EXPECT_EQ(s.server.CountLines("PWD"), 1);
    EXPECT_EQ(s.client.loginCount, 1);
    int completed = 0;
    for (const auto& r : s.client.responses) completed += r.completesReply;
    EXPECT_EQ(completed, 4);  // 220, 331, 230, 257
}

TEST_F(ReplyParser, AnErrorReplyIsReportedWholeFromItsFirstLine) {
    ASSERT_TRUE(s.ConnectAndLogIn());
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("CWD", 0) != 0) return false;
        s.server.Send("200 unrelated\r\n550-No such\r\n550 folder\r\n");
        return true;
    };
    size_t before = s.client.responses.size();
    s.client.command.sendCWD("/nowhere");
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.serverErrors.empty(); }));
    EXPECT_EQ(s.client.serverErrors[0], "550-No such\r\n550 folder\r\n");
    EXPECT_EQ(s.client.serverErrorCodes[0], 550);
    ASSERT_EQ(s.client.responses.size(), before + 1);  // the error's lines are not among them
    EXPECT_EQ(s.client.responses.back().line, "200 unrelated");
    EXPECT_EQ(s.client.command.status, "cwd");  // abandoned where it stood
    EXPECT_EQ(s.server.CountLines("PWD"), 1);   // the login's only
}

TEST_F(ReplyParser, TheReplyAfterAnErrorReplyStillAnswersItsCommand) {
    // A refused command and the next command's answer may arrive together: the answer counts.
    ASSERT_TRUE(s.ConnectAndLogIn());
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("MKD", 0) != 0) return false;
        s.server.Send("426 Failure writing network stream\r\n257 \"/made\" created\r\n");
        return true;
    };
    s.client.command.makeDirectory("/made");
    ASSERT_TRUE(s.client.WaitForReply(257));
    ASSERT_EQ(s.client.serverErrors.size(), 1u);
    EXPECT_EQ(s.client.serverErrors[0], "426 Failure writing network stream\r\n");
}

TEST_F(ReplyParser, ARefusedLoginIsTriedThreeTimesThenReported) {
    int refusals = 0;
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("PASS", 0) != 0) return false;
        ++refusals;
        s.server.Send(refusals < 3 ? "530 Try again\r\n" : "230 Fine now\r\n");
        return true;
    };
    ASSERT_TRUE(s.ConnectAndLogIn());
    EXPECT_EQ(s.server.CountLines("USER user"), 3);
    EXPECT_TRUE(s.client.serverErrors.empty());
    for (const auto& r : s.client.responses) EXPECT_NE(r.code, 530);
}

TEST_F(ReplyParser, ALoginRefusedEveryTimeEndsInOneServerError) {
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("PASS", 0) != 0) return false;
        s.server.Send("530-Login\r\n530 incorrect\r\n");
        return true;
    };
    s.Connect();
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.serverErrors.empty(); }));
    fw::ProcessPendingEvents();
    EXPECT_EQ(s.server.CountLines("USER"), 3);
    ASSERT_EQ(s.client.serverErrors.size(), 1u);
    EXPECT_EQ(s.client.serverErrors[0], "530-Login\r\n530 incorrect\r\n");
    EXPECT_EQ(s.client.loginCount, 0);
}

TEST_F(ReplyParser, A530AfterTheLoginIsAnErrorNotARetry) {
    ASSERT_TRUE(s.ConnectAndLogIn());
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("CWD", 0) != 0) return false;
        s.server.Send("530 Not logged in\r\n");
        return true;
    };
    s.client.command.sendCWD("/x");
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.serverErrors.empty(); }));
    EXPECT_EQ(s.client.serverErrorCodes[0], 530);
    EXPECT_EQ(s.server.CountLines("USER"), 1);
}

TEST_F(ReplyParser, A220OnlyStartsTheLoginWhileTheGreetingIsAwaited) {
    ASSERT_TRUE(s.ConnectAndLogIn());
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("CWD", 0) != 0) return false;
        s.server.Send("220 Hello again\r\n250 Okay\r\n");
        return true;
    };
    ASSERT_TRUE(s.client.ChangeDir("/site"));
    EXPECT_EQ(s.server.CountLines("USER"), 1);
}

TEST_F(ReplyParser, LoginWithoutPasswordAndWithASuperfluousPassword) {
    s.OnCommand = [&](const std::string& line) {
        if (line.rfind("USER", 0) != 0) return false;
        s.server.Send("230 No password needed\r\n");
        return true;
    };
    ASSERT_TRUE(s.ConnectAndLogIn());
    EXPECT_EQ(s.server.CountLines("PASS"), 0);

    ScriptedSession other;
    other.OnCommand = [&](const std::string& line) {
        if (line.rfind("PASS", 0) != 0) return false;
        other.server.Send("202 Password not needed\r\n");
        return true;
    };
    EXPECT_TRUE(other.ConnectAndLogIn());
}

TEST_F(ReplyParser, ALoginCommandWrittenBeforeTheGreetingIsAbsorbedByTheRetry) {
    // Connecting writes a CWD before the server has greeted; the server refuses it before USER.
    s.sendGreeting = false;
    s.Connect();
    s.client.command.sendCWD("/early");
    ASSERT_TRUE(s.server.WaitForLine("CWD /early"));
    s.server.Send("220 Ready\r\n530 Please log in first\r\n");
    ASSERT_TRUE(s.client.WaitForLogin());
    EXPECT_TRUE(s.client.serverErrors.empty());
}

TEST_F(ReplyParser, LineEndsOtherThanCRLFStayInsideTheLineAndEmptyLinesAreReported) {
    s.sendGreeting = false;
    s.Connect();
    s.server.Send("220 a\nb\rc\r\n\r\n");
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.responses.size() == 2; }));
    EXPECT_EQ(s.client.responses[0].line, "220 a\nb\rc");
    EXPECT_EQ(s.client.responses[1].line, "");
    EXPECT_TRUE(s.client.responses[1].completesReply);
    EXPECT_EQ(s.client.responses[1].code, 0);
}

TEST_F(ReplyParser, AConfirmationIsActedOnOnce) {
    ASSERT_TRUE(s.ConnectAndLogIn());
    ASSERT_TRUE(s.client.ChangeDir("/a"));
    ASSERT_EQ(s.client.dirChanges.size(), 1u);
    s.server.Send("257 \"/a\" stray repeat\r\n");
    ASSERT_TRUE(s.client.WaitFor(
        [&] { return s.client.responses.back().line.find("stray") != std::string::npos; }));
    fw::ProcessPendingEvents();
    EXPECT_EQ(s.client.dirChanges.size(), 1u);
}

TEST_F(ReplyParser, QuitAwaitsTheGoodbye) {
    ASSERT_TRUE(s.ConnectAndLogIn());
    s.client.command.sendQUIT();
    ASSERT_TRUE(s.server.WaitForLine("QUIT"));
    EXPECT_EQ(s.client.command.expectedCode, "221");
    EXPECT_EQ(s.client.command.status, "quit");
    EXPECT_FALSE(s.client.command.codeFound);
}

TEST_F(ReplyParser, AnArgumentThatWouldBreakTheLineIsNeverWritten) {
    ASSERT_TRUE(s.ConnectAndLogIn());
    const std::string received = s.server.Received();
    s.client.command.sendCWD("/a\r\nDELE /important");
    // Nothing written has no number: a run waits for no reply to it.
    EXPECT_EQ(s.client.command.deleteFile(std::string("/b\0c", 4)), std::nullopt);
    EXPECT_EQ(s.client.command.makeDirectory("/c\nRMD /d"), std::nullopt);
    EXPECT_EQ(s.client.command.deleteDirectory("/e\r\n"), std::nullopt);
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.commandErrors.size() == 4; }));
    for (int code : s.client.commandErrors) EXPECT_EQ(code, FtpUnsafeArgument);
    fw::ProcessPendingEvents();
    EXPECT_EQ(s.server.Received(), received);
}

TEST_F(ReplyParser, RepliesArrivingWhileAHandlerGivesWayAreReadInOrderOnce) {
    ASSERT_TRUE(s.ConnectAndLogIn());
    s.client.onResponse = [&](FtpCommandSocket&, const std::string& line) {
        if (line.rfind("211", 0) != 0) return;
        if (line == "211 one") s.server.Send("211 three\r\n");
        for (int i = 0; i < 20; ++i) fw::GiveWay();
    };
    size_t before = s.client.responses.size();
    s.server.Send("211 one\r\n211 two\r\n");
    ASSERT_TRUE(s.client.WaitFor([&] { return s.client.responses.size() >= before + 3; }));
    fw::ProcessPendingEvents();
    ASSERT_EQ(s.client.responses.size(), before + 3);
    EXPECT_EQ(s.client.responses[before].line, "211 one");
    EXPECT_EQ(s.client.responses[before + 1].line, "211 two");
    EXPECT_EQ(s.client.responses[before + 2].line, "211 three");
}

}  // namespace
