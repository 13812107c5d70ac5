// The log pane on real servers: once the program is quiet, the pane holds every line of the log
// and shows the last one, however many of the lines above it wrap or are set in Japanese.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTextBlock>

#include "framework/EventLoop.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

class LogPane : public SyncWindowTest, public testing::WithParamInterface<ServerKind> {
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

TEST_P(LogPane, ShowsTheLastLineOnceTheComparisonIsDone) {
    // A file against a folder of one name puts a long Japanese line in the log.
    MakeTree(localRoot, {{"a.txt", "a\n"}, {"clash", kFolder}, {"clash/b.txt", "b\n"}});
    StartServer(GetParam());
    server->Put("clash", "a file here, a folder there");
    server->Put("img/old.txt", "old");
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return Shown() == LogText(); }, 2000))
        << "held:\n"
        << LogText() << "\nshown:\n"
        << Shown();
    EXPECT_TRUE(LastLineInView()) << LogText();
}

INSTANTIATE_TEST_SUITE_P(Servers, LogPane,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib),
                         [](const testing::TestParamInfo<ServerKind>& info) {
                             return KindName(info.param);
                         });

}  // namespace
}  // namespace synctest
