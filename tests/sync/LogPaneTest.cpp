// The log pane on real servers: once the program is quiet, the pane holds every line of the log
// and shows the last one, however many of the lines above it wrap or are set in Japanese. A line
// of megabytes shows cut, its first 4 KiB laid out whatever its length, and the saved log keeps
// it whole. A reply of many lines, and a server's flood of them, shows its first 64 KiB and the
// count of the bytes left out, played by the scripted site; the log keeps every line.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextBlock>

#include "framework/EventLoop.h"
#include "framework/LogArea.h"
#include "framework/Strings.h"
#include "tests/ftp/ReplyFloods.h"
#include "tests/sync/ScriptedSiteFixture.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

class LogPaneLook : public SyncWindowTest {
protected:
    QPlainTextEdit* Pane() const { return static_cast<QPlainTextEdit*>(w->EditField5->Widget()); }
    std::string Shown() const { return Pane()->toPlainText().toStdString(); }
    // Whether the whole of the last line of text lies inside the pane (the text ends with a
    // line break, so that line ends the block before the last).
    bool LastLineInView() const {
        const QRect line =
            Pane()->cursorRect(QTextCursor(Pane()->document()->lastBlock().previous()));
        return Pane()->viewport()->rect().contains(line);
    }
};

class LogPane : public LogPaneLook, public testing::WithParamInterface<ServerKind> {};

TEST_P(LogPane, ShowsTheLastLineOnceTheComparisonIsDone) {
    // A file against a folder of one name puts a long Japanese line in the log.
    MakeTree(localRoot, {{"a.txt", "a\n"}, {"clash", kFolder}, {"clash/b.txt", "b\n"}});
    StartServer(GetParam());
    server->Put("clash", "a file here, a folder there");
    server->Put("img/old.txt", "old");
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return Shown() == LogText(); }, 10000))
        << "held:\n"
        << LogText() << "\nshown:\n"
        << Shown();
    EXPECT_TRUE(LastLineInView()) << LogText();
}

INSTANTIATE_TEST_SUITE_P(Servers, LogPane,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

// A reply line of megabytes, as the log takes it in. Laid out whole, 256 KiB stood the window
// still for 2.6 s and 1 MiB for 41 s; the first length shown whole ends the test.
TEST_F(LogPaneLook, ALongLineShowsCutAndIsSavedWhole) {
    for (size_t bytes : {256u << 10, 1u << 20, 4u << 20}) {
        SCOPED_TRACE(bytes);
        const std::string line = "550 " + std::string(bytes, 'x');
        w->updateStatus(line);
        w->updateStatus("226 next");
        const std::string log = line + "\n226 next\n";
        ASSERT_TRUE(
            fw::RunEventLoopUntil([&] { return Shown().ends_with("\n226 next\n"); }, 10000));
        EXPECT_TRUE(LastLineInView());
        const size_t shown = fw::LogArea::kShownLineBytes;
        ASSERT_TRUE(Shown() == line.substr(0, shown) + "…（" + std::to_string(line.size() - shown) +
                                   " バイト省略）\n226 next\n")
            << Shown().substr(0, 80) << "...";
        EXPECT_TRUE(LogText() == log);

        const std::string saved = std::string(getenv("XDG_DESKTOP_DIR")) + "/log.txt";
        fw::ModalHost::Expect(fw::ModalAnswer::Choose(saved));
        ASSERT_TRUE(w->HandleMenu("FileSaveLog"));
        ASSERT_TRUE(WaitForScript());
        EXPECT_TRUE(testsupport::ReadFile(saved) == log) << "the saved log holds the line whole";
        w->EditField5->SetText("");
    }
}

class LogPaneReplies : public ScriptedSiteTest {
protected:
    QPlainTextEdit* Pane() const { return static_cast<QPlainTextEdit*>(w->EditField5->Widget()); }
    std::string Shown() const { return Pane()->toPlainText().toStdString(); }
    // The greeting, sent in place of the site's own.
    void Greet(std::function<void()> send) { site->server.OnConnected = std::move(send); }

    // Lines of 1 KiB, as a flood's.
    const std::string line = " " + std::string(1000, 'c');
    const std::string first = "220-Welcome";
    // The log with the lines of the greeting past its first kShownReplyBytes (its lines, their
    // CR LF counted, as the server sent them) in one line giving their count of bytes.
    std::string ShownOf(const std::string& log) const {
        const size_t from = log.find(first + "\n");
        size_t at = from + first.size() + 1;
        size_t replyBytes = first.size() + 2;
        while (log.compare(at, line.size() + 1, line + "\n") == 0 &&
               replyBytes + line.size() + 2 <= Window1::kShownReplyBytes) {
            replyBytes += line.size() + 2;
            at += line.size() + 1;
        }
        size_t end = at;
        while (log.compare(end, line.size() + 1, line + "\n") == 0) end += line.size() + 1;
        if (end == at) return log;
        return log.substr(0, at) + fw::LeftOutMarker(end - at) + "\n" + log.substr(end);
    }
};

// A reply past the bound, then its last line: the pane leaves out the lines past the bound, says
// how many bytes they hold, and shows the last line; the login goes on.
TEST_F(LogPaneReplies, AReplyOfManyLinesShowsItsBeginningAndItsLastLine) {
    MakeTree(localRoot, {{"keep.txt", "k"}});
    std::string greeting = first + "\r\n";
    for (int i = 0; i < 128; ++i) greeting += line + "\r\n";
    greeting += "220 Ready\r\n";
    Greet([this, greeting] { site->server.Send(greeting); });
    ASSERT_TRUE(ConnectAndCompare()) << LogText().substr(0, 300);
    const std::string log = LogText();
    std::string lines = first + "\n";
    for (int i = 0; i < 128; ++i) lines += line + "\n";
    EXPECT_NE(log.find(lines + "220 Ready\n"), std::string::npos) << "the log keeps every line";
    const std::string shown = ShownOf(log);
    ASSERT_NE(shown, log);
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return Shown() == shown; }, 10000))
        << Shown().size() << " shown of " << shown.size();
}

// A flood of continuation lines up to the reply's bound: the pane takes in 64 KiB of it, where it
// took in all 16 MiB (and stood the window still for seconds in all); the log keeps every line the
// client read, and the pane ends with the count and the message.
TEST_F(LogPaneReplies, AFloodOfContinuationLinesShowsItsBeginningAndItsCount) {
    const FloodCase& flood = kReplyFloods[1];
    ASSERT_EQ(flood.start, first + "\r\n");
    ASSERT_EQ(flood.more(), line + "\r\n");
    Greet([this, &flood] {
        site->server.Send(flood.start);
        site->server.Stream(Endless(flood.more, int64_t{256} << 20));
    });
    const std::string why = "サーバーの応答が長すぎるため、接続を切断しました。";
    ExpectMessage(why);
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript(60000));
    const QTextDocument* document = Pane()->document();
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] { return document->lastBlock().previous().text().toStdString() == why; }, 20000));
    EXPECT_LT(static_cast<size_t>(document->characterCount()), 2 * Window1::kShownReplyBytes);
    const std::string log = LogText();
    EXPECT_GT(log.size(), FtpCommandSocket::kMaxReplyBytes - (size_t{1} << 20));
    EXPECT_TRUE(log.ends_with(line + "\n" + why + "\n")) << log.substr(log.size() - 200);
    EXPECT_TRUE(Shown() == ShownOf(log)) << Shown().size() << " shown";
}

}  // namespace
}  // namespace synctest
