// The log pane on real servers: once the program is quiet, the pane holds every line of the log
// and shows the last one, however many of the lines above it wrap or are set in Japanese. A line
// of megabytes shows cut, its first 4 KiB laid out whatever its length, and the saved log keeps
// it whole.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextBlock>

#include "framework/EventLoop.h"
#include "framework/LogArea.h"
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

}  // namespace
}  // namespace synctest
