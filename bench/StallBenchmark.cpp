// The event loop's longest stall while a line or a reply of megabytes comes through: a 4 MiB line
// taken in by a log area and by the window's log pane, a 4 MiB text shown in each place of a
// message, a server's reply without end read by the client up to its bound (alone, and a flood of
// continuation lines through the whole window), and a 4 MiB error reply through the whole window
// (log, pane and message). Watched by LoopStallWatch from the moment the text is handed over until
// it has been shown.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/GoalFigures.h"
#include "framework/EventLoop.h"
#include "framework/LogArea.h"
#include "framework/MessageDialog.h"
#include "framework/ModalHost.h"
#include "ftp/FtpErrorCodes.h"
#include "tests/framework/ControlTestWindow.h"
#include "tests/ftp/ReplyFloods.h"
#include "tests/ftp/ScriptedSession.h"
#include "tests/support/ModalScript.h"
#include "tests/support/ProcessWatch.h"
#include "tests/sync/ScriptedSiteFixture.h"

namespace {

constexpr size_t kMiB = size_t{1} << 20;

void NoteStall(const std::string& what, const testsupport::LoopStallWatch& stalls) {
    bench::GoalFigures::Note(bench::kStallGoal, what, static_cast<double>(stalls.LongestMs()));
}

std::string ShownIn(const QPlainTextEdit* pane) {
    return pane->toPlainText().toStdString();
}

class LogAreaStall : public ControlTest {};

// A line in two appends, its end coming with the next line, each shown before the next comes.
TEST_F(LogAreaStall, AFourMiBLine) {
    auto* log = Add<fw::LogArea>("log", {.left = 10, .top = 10, .width = 200, .height = 60});
    const QPlainTextEdit* pane = PlatformOf<QPlainTextEdit>(log);
    testsupport::LoopStallWatch stalls;
    for (const std::string& part :
         std::vector<std::string>{"550 " + std::string(4 * kMiB, 'z') + "\n", "226 next\n"}) {
        const std::string before = ShownIn(pane);
        log->AppendText(part);
        log->ScrollToEnd();
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return ShownIn(pane) != before; }, 10000));
    }
    NoteStall("a 4 MiB line in a log area", stalls);
}

class LogPaneStall : public synctest::SyncWindowTest {};

// A reply line as the window logs it.
TEST_F(LogPaneStall, AFourMiBReplyLine) {
    const auto* pane = static_cast<const QPlainTextEdit*>(w->EditField5->Widget());
    testsupport::LoopStallWatch stalls;
    w->updateStatus("550 " + std::string(4 * kMiB, 'x'));
    w->updateStatus("226 next");
    ASSERT_TRUE(
        fw::RunEventLoopUntil([&] { return ShownIn(pane).ends_with("\n226 next\n"); }, 10000));
    NoteStall("a 4 MiB log line in the window's pane", stalls);
}

class MessageStall : public testing::Test {
protected:
    void SetUp() override { testsupport::BeginModalScript(); }
    void TearDown() override { testsupport::EndModalScript(); }
};

// A reply without blanks, as a flood is, ending in a character of three bytes; each box answered
// once it is up.
TEST_F(MessageStall, AFourMiBText) {
    const std::string text = "500 " + std::string(4 * kMiB - 7, 'x') + "応";
    const std::pair<const char*, std::function<void()>> places[] = {
        {"a 4 MiB message box", [&] { fw::MsgBox(text); }},
        {"a 4 MiB message in a dialog",
         [&] {
             fw::MessageDialog d;
             d.Message = text;
             d.ShowModal();
         }},
        {"a 4 MiB explanation in a dialog",
         [&] {
             fw::MessageDialog d;
             d.Message = "Error: ";
             d.Explanation = text;
             d.ShowModal();
         }},
    };
    // The first box a process shows loads fonts and styles: that is not what is measured.
    fw::ModalHost::Expect(fw::ModalAnswer::Press("OK"));
    fw::MsgBox("OK");
    for (const auto& [what, show] : places) {
        fw::ModalHost::Expect(fw::ModalAnswer::Press("OK"));
        testsupport::LoopStallWatch stalls;
        show();
        ASSERT_EQ(fw::ModalHost::PendingSteps(), 0u) << what;
        NoteStall(what, stalls);
    }
}

class FloodStall : public testing::TestWithParam<FloodCase> {};

// The client reads the flood as fast as the server streams it, until it ends the connection at
// the bound.
TEST_P(FloodStall, UpToItsBound) {
    const std::map<std::string, std::string> names = {
        {"ALineWithoutEnd", "a 4 MiB reply line without end"},
        {"ContinuationLinesWithoutEnd", "a 16 MiB flood of continuation lines"},
        {"ContinuationLinesOfAnErrorWithoutEnd", "a 16 MiB flood of an error's short lines"},
    };
    const FloodCase& c = GetParam();
    ScriptedSession s;
    s.sendGreeting = false;
    s.server.OnConnected = [&] {
        s.server.Send(c.start);
        s.server.Stream(Endless(c.more, 256 * static_cast<int64_t>(kMiB)));
    };
    testsupport::LoopStallWatch stalls;
    s.Connect();
    ASSERT_TRUE(s.client.WaitFor([&] { return !s.client.commandErrors.empty(); }, 60000));
    ASSERT_EQ(s.client.commandErrors, std::vector<int>{FtpReplyTooLong});
    NoteStall(names.at(c.what), stalls);
}

INSTANTIATE_TEST_SUITE_P(Floods, FloodStall, testing::ValuesIn(kReplyFloods),
                         [](const testing::TestParamInfo<FloodCase>& info) {
                             return std::string(info.param.what);
                         });

class WindowFloodStall : public synctest::ScriptedSiteTest,
                         public testing::WithParamInterface<FloodCase> {};

// The flood as the greeting: every line logged as it comes, until the bound ends the connection
// with its message, the pane's last line.
TEST_P(WindowFloodStall, UpToItsBound) {
    const FloodCase& c = GetParam();
    site->server.OnConnected = [this, &c] {
        site->server.Send(c.start);
        site->server.Stream(Endless(c.more, 256 * static_cast<int64_t>(kMiB)));
    };
    const std::string why = "サーバーの応答が長すぎるため、接続を切断しました。";
    const auto* pane = static_cast<const QPlainTextEdit*>(w->EditField5->Widget());
    fw::ModalHost::Expect(fw::ModalAnswer::Press("OK"));
    testsupport::LoopStallWatch stalls;
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript()) << LogText().substr(0, 2000);
    // The last line alone: the whole pane as text would be work of the watch's own.
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] { return pane->document()->lastBlock().previous().text().toStdString() == why; },
        10000));
    NoteStall("a 16 MiB flood of continuation lines through the window", stalls);
}

// Next to the parser's figures: the flood whose lines the window logs one by one.
INSTANTIATE_TEST_SUITE_P(Floods, WindowFloodStall, testing::Values(kReplyFloods[1]),
                         [](const testing::TestParamInfo<FloodCase>& info) {
                             return std::string(info.param.what);
                         });

class ErrorReplyStall : public synctest::ScriptedSiteTest {};

// The reply to the walk's PASV: logged whole, shown cut in the pane and in the message that ends
// the connection.
TEST_F(ErrorReplyStall, AFourMiBErrorReplyThroughTheWindow) {
    synctest::MakeTree(localRoot, {{"keep.txt", "k"}});
    const std::string reply = "500 " + std::string(4 * kMiB - 8, 'x') + "\r\n";
    site->Intercept = [this, reply](const std::string& line) {
        if (line != "PASV") return false;
        site->server.Send(reply);
        return true;
    };
    const auto* pane = static_cast<const QPlainTextEdit*>(w->EditField5->Widget());
    fw::ModalHost::Expect(fw::ModalAnswer::Press("OK"));
    testsupport::LoopStallWatch stalls;
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript()) << LogText().substr(0, 2000);
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] { return ShownIn(pane).find("バイト省略") != std::string::npos; }, 10000));
    NoteStall("a 4 MiB error reply through the window", stalls);
}

}  // namespace
