// The log pane: every byte is the text at once, the pane shows it whole and in order, in batches
// of one addition and one scroll, and follows the end while it is there.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <string>
#include <vector>

#include "framework/LogArea.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

class LogAreaTest : public ControlTest {
protected:
    fw::LogArea& Log() {
        if (!log_) {
            log_ = Add<fw::LogArea>("log", {.left = 10, .top = 10, .width = 200, .height = 60});
            QObject::connect(Edit()->document(), &QTextDocument::contentsChange,
                             [this](int, int, int) { ++additions; });
            QObject::connect(Bar(), &QScrollBar::valueChanged, [this](int) { ++scrolls; });
        }
        return *log_;
    }
    QPlainTextEdit* Edit() { return PlatformOf<QPlainTextEdit>(log_); }
    QScrollBar* Bar() { return Edit()->verticalScrollBar(); }
    bool AtEnd() { return Bar()->value() == Bar()->maximum(); }
    std::string Shown() { return Edit()->toPlainText().toStdString(); }
    // Runs the loop until the pane shows what the text holds, line ends as breaks.
    bool ShowsAll(const std::string& shown) {
        return fw::RunEventLoopUntil([&] { return Shown() == shown; }, 3000);
    }

    int additions = 0;
    int scrolls = 0;

private:
    fw::LogArea* log_ = nullptr;
};

TEST_F(LogAreaTest, TheTextHoldsEveryByteAtOnceAndThePaneShowsItAllInOrder) {
    struct Case {
        const char* how;
        std::vector<std::string> appended;
        std::string shown;
    };
    const Case cases[] = {
        {"reply lines",
         {"220 ready\n", "USER me\n", "331 password\n"},
         "220 ready\nUSER me\n331 password\n"},
        {"CR, CR LF and LF", {"one\rtwo\r\nthree\nfour"}, "one\ntwo\nthree\nfour"},
        {"a CR LF split between two appends", {"line\r", "\nnext"}, "line\nnext"},
        {"Japanese", {"226 日本語 done\n"}, "226 日本語 done\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Log().SetText("");
        std::string all;
        for (const std::string& part : c.appended) {
            Log().AppendText(part);
            all += part;
            EXPECT_EQ(Log().Text(), all) << "the text is whole before the pane shows it";
        }
        EXPECT_TRUE(ShowsAll(c.shown)) << Shown();
    }

    // A CR LF split across two batches is one break too.
    Log().SetText("");
    Log().AppendText("a\r");
    ASSERT_TRUE(ShowsAll("a\n"));
    Log().AppendText("\nb");
    EXPECT_TRUE(ShowsAll("a\nb"));

    // Emptied with a batch on its way: the pane shows nothing of it, now or later.
    Log().AppendText("late\n");
    Log().SetText("");
    EXPECT_EQ(Shown(), "");
    fw::RunEventLoopUntil([] { return false; }, 3 * fw::LogArea::kBatchMs);
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(Log().Text(), "");
}

// A line at a time, with the event loop running between them as replies come: the pane takes
// them in at most one addition and one scroll per batch interval.
TEST_F(LogAreaTest, LinesComingOneByOneAreShownInBatches) {
    Log().AppendText("first\n");
    ASSERT_TRUE(ShowsAll("first\n"));
    additions = 0;
    scrolls = 0;
    std::string expected = "first\n";
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 2000; ++i) {
        const std::string line = "150 line " + std::to_string(i) + "\n";
        Log().AppendText(line);
        Log().ScrollToEnd();
        expected += line;
        fw::ProcessPendingEvents();
    }
    ASSERT_TRUE(ShowsAll(expected));
    const qint64 batches = clock.elapsed() / fw::LogArea::kBatchMs + 1;
    EXPECT_LE(additions, batches) << "in " << clock.elapsed() << " ms";
    EXPECT_LE(scrolls, batches) << "in " << clock.elapsed() << " ms";
    EXPECT_TRUE(AtEnd());
    EXPECT_EQ(Log().Text(), expected);
}

TEST_F(LogAreaTest, TheViewFollowsTheEndWhileItIsThere) {
    std::string expected;
    auto append = [&](const std::string& line) {
        Log().AppendText(line);
        expected += line;
    };
    for (int i = 0; i < 40; ++i) append("line " + std::to_string(i) + "\n");
    ASSERT_TRUE(ShowsAll(expected));
    ASSERT_GT(Bar()->maximum(), 0);
    EXPECT_TRUE(AtEnd());

    Bar()->setValue(0);  // the user reads the beginning: the view stays there
    append("more\n");
    ASSERT_TRUE(ShowsAll(expected));
    EXPECT_EQ(Bar()->value(), 0);

    Log().ScrollToEnd();  // as the program does after each line: it goes to the end
    EXPECT_TRUE(AtEnd());
    Bar()->setValue(0);
    append("and more\n");
    Log().ScrollToEnd();  // with a batch on its way: the end once it is shown
    ASSERT_TRUE(ShowsAll(expected));
    EXPECT_TRUE(AtEnd());

    // The log pane: read-only, a vertical scroll bar only, long lines wrapped.
    EXPECT_TRUE(Edit()->isReadOnly());
    EXPECT_EQ(Edit()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(Edit()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Edit()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

}  // namespace
