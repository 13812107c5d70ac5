// The log pane: every byte is the text at once, the pane shows it whole and in order, in batches
// of one addition and one scroll, and follows the end while it is there.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <algorithm>
#include <string>
#include <vector>

#include "framework/LogArea.h"
#include "framework/Strings.h"
#include "tests/framework/ControlTestWindow.h"
#include "tests/support/ProcessWatch.h"

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
        return fw::RunEventLoopUntil([&] { return Shown() == shown; }, 10000);
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

    // Emptied with a batch on its way: the pane shows nothing of it, now or later (batches show
    // in order, so once what follows is shown, the one that was on its way has had its turn).
    Log().AppendText("late\n");
    Log().SetText("");
    EXPECT_EQ(Shown(), "");
    Log().AppendText("after\n");
    EXPECT_TRUE(ShowsAll("after\n")) << Shown();
    EXPECT_EQ(Log().Text(), "after\n");
}

// A line at a time, with the event loop running between them as replies come: the pane takes
// them in at most one addition and one scroll per batch interval. The bound grows with the time
// the lines took, so a slow machine only loosens it; shown line by line, they made 2,000.
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
    // A coarse timer may come up to a twentieth of its interval early.
    const qint64 batches = clock.elapsed() * 20 / (19 * fw::LogArea::kBatchMs) + 1;
    EXPECT_LE(additions, batches) << "in " << clock.elapsed() << " ms";
    EXPECT_LE(scrolls, batches) << "in " << clock.elapsed() << " ms";
    EXPECT_TRUE(AtEnd());
    EXPECT_EQ(Log().Text(), expected);
}

// Megabytes of lines within one batch interval, as a server's reply without end brings them: the
// pane takes them in additions of about kAdditionBytes, one per pass of the event loop, and shows
// them all in order. Taken in as one addition, 5 MiB stood the window still for a quarter second.
TEST_F(LogAreaTest, AFloodOfLinesIsShownInAdditionsOfBoundedSizeWithTheLoopTurningBetween) {
    Log().AppendText("start\n");
    ASSERT_TRUE(ShowsAll("start\n"));
    int largest = 0;
    QObject::connect(Edit()->document(), &QTextDocument::contentsChange,
                     [&largest](int, int, int added) { largest = std::max(largest, added); });
    const std::string line = " " + std::string(1000, 'c') + "\r\n";
    std::string expected = "start\n";
    const int lines = 4 * 1024;  // 4 MiB
    for (int i = 0; i < lines; ++i) {
        Log().AppendText(line);
        expected += line.substr(0, line.size() - 2) + "\n";
    }
    Log().ScrollToEnd();
    additions = 0;
    QElapsedTimer clock;
    clock.start();
    while (Edit()->document()->blockCount() < lines + 2 && clock.elapsed() < 60000) {
        const int before = additions;
        fw::ProcessPendingEvents();
        ASSERT_LE(additions - before, 1) << "more than one addition in a pass of the loop";
    }
    EXPECT_GT(additions, 1);
    EXPECT_LE(largest, static_cast<int>(fw::LogArea::kAdditionBytes + line.size()));
    EXPECT_TRUE(Shown() == expected) << Shown().size() << " of " << expected.size() << " shown";
    EXPECT_TRUE(AtEnd());
}

// Lines left out of the pane, as the window leaves out a server's flood: the text keeps them; the
// pane shows in their place one line with their count of bytes, once something follows them.
TEST_F(LogAreaTest, LinesLeftOutShowAsTheirCountOnceSomethingFollows) {
    const std::string flood = std::string(1000, 'c') + "\n";
    struct Part {
        std::string text;
        bool leftOut;
    };
    struct Case {
        const char* what;
        std::vector<Part> parts;
        std::string shown;
    };
    const Case cases[] = {
        {"between lines",
         {{"220-Welcome\n", false}, {flood + flood, true}, {"220 Ready\n", false}},
         "220-Welcome\n" + fw::LeftOutMarker(2 * flood.size()) + "\n220 Ready\n"},
        {"appended one after another, left out as one",
         {{"a\n", false}, {flood, true}, {flood, true}, {flood, true}, {"b\n", false}},
         "a\n" + fw::LeftOutMarker(3 * flood.size()) + "\nb\n"},
        {"two stretches",
         {{flood, true}, {"a\n", false}, {"x\r\n", true}, {"b", false}},
         fw::LeftOutMarker(flood.size()) + "\na\n" + fw::LeftOutMarker(3) + "\nb"},
        {"nothing after them yet", {{"a\n", false}, {flood, true}}, "a\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Log().SetText("");
        std::string all;
        for (const Part& part : c.parts) {
            if (part.leftOut)
                Log().AppendLeftOut(part.text);
            else
                Log().AppendText(part.text);
            all += part.text;
        }
        EXPECT_EQ(Log().Text(), all);
        EXPECT_TRUE(ShowsAll(c.shown)) << Shown();
        // Shown once, left alone: no pass of the loop shows more or less of it.
        const QString shown = Edit()->toPlainText();
        fw::RunEventLoopUntil([] { return false; }, 3 * fw::LogArea::kBatchMs);
        EXPECT_EQ(Edit()->toPlainText(), shown);
    }
    // What follows the stretch still open brings its count.
    Log().AppendText("b\n");
    EXPECT_TRUE(ShowsAll("a\n" + fw::LeftOutMarker(flood.size()) + "\nb\n")) << Shown();
    // Shown again as a whole, nothing is left out.
    Log().SetText(Log().Text());
    EXPECT_EQ(Shown(), "a\n" + flood + "b\n");
}

// A log of megabytes, as two of a server's floods leave it: the text grows without moving what it
// holds. Kept in one string, it moved all of itself whenever it outgrew its room (16 MiB at once,
// a tenth of a second of a standing window), holding the old copy and the new one while it did.
TEST_F(LogAreaTest, TheTextOfAFloodIsNeverMovedWhole) {
    Log();
    const std::string line = std::string(1000, 'c') + "\n";
    const int64_t lines = 32 * 1024;
    testsupport::ResidentHighWater memory;
    int64_t most = 0;  // the most memory held at once beyond the text itself
    for (int64_t i = 1; i <= lines; ++i) {
        Log().AppendLeftOut(line);  // nothing for the pane to take in
        if (i % 16 == 0)
            most = std::max(most, memory.GrowthBytes() - i * static_cast<int64_t>(line.size()));
    }
    EXPECT_LT(most, int64_t{8} << 20);
    EXPECT_EQ(Log().Text().size(), static_cast<size_t>(lines) * line.size());
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

// A line of megabytes, as a server that does not end its reply line sends, shows cut: the pane
// lays out its first 4 KiB and the count of bytes left out, whatever the line's length, where a
// whole line took 2.6 s for 256 KiB and 41 s for 1 MiB. The text keeps it whole. A line within the
// bound, blanks or none, shows whole.
TEST_F(LogAreaTest, ALongLineShowsCutWithoutStoppingTheWindow) {
    const size_t bound = fw::LogArea::kShownLineBytes;
    auto cut = [](const std::string& shownPart, size_t leftOut) {
        return shownPart + "…（" + std::to_string(leftOut) + " バイト省略）";
    };
    const std::string kana = "あ";  // three bytes
    auto kanaLine = [&](size_t bytes) {
        std::string s;
        while (s.size() + kana.size() <= bytes) s += kana;
        return s;
    };
    const std::string quarter(256 * 1024, 'x'), mega(1024 * 1024, 'y'), four(4 * 1024 * 1024, 'z');
    const std::string japanese = kanaLine(1024 * 1024);
    struct Case {
        const char* what;
        std::vector<std::string> appended;  // each shown before the next comes
        std::string shown;
    };
    const Case cases[] = {
        {"just within the bound, no blanks",
         {std::string(bound, 'a') + "\n"},
         std::string(bound, 'a') + "\n"},
        {"a byte over",
         {std::string(bound + 1, 'b') + "\r\nnext"},
         cut(std::string(bound, 'b'), 1) + "\nnext"},
        {"over the bound by degrees",
         {std::string(bound - 10, 'c'), std::string(20, 'd'), "e\r\nnext"},
         cut(std::string(bound - 10, 'c') + std::string(10, 'd'), 11) + "\nnext"},
        {"cut where a character begins",
         {japanese + "\n226 done\n"},
         cut(kanaLine(bound), japanese.size() - kanaLine(bound).size()) + "\n226 done\n"},
        {"256 KiB",
         {"550 " + quarter + "\n", "226 next\n"},
         cut("550 " + quarter.substr(0, bound - 4), quarter.size() + 4 - bound) + "\n226 next\n"},
        {"1 MiB",
         {"550 " + mega + "\n226 next\n"},
         cut("550 " + mega.substr(0, bound - 4), mega.size() + 4 - bound) + "\n226 next\n"},
        {"4 MiB",
         {"550 " + four + "\n", "226 next\n"},
         cut("550 " + four.substr(0, bound - 4), four.size() + 4 - bound) + "\n226 next\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Log().SetText("");
        std::string all;
        for (const std::string& part : c.appended) {
            const std::string before = Shown();
            Log().AppendText(part);
            Log().ScrollToEnd();
            all += part;
            ASSERT_TRUE(fw::RunEventLoopUntil([&] { return Shown() != before; }, 10000));
        }
        // Ordered by length: the first case shown whole ends the test, before a longer one would
        // hold it for minutes.
        ASSERT_TRUE(Shown() == c.shown)
            << Shown().substr(0, 200) << " ... "
            << Shown().substr(Shown().size() - std::min<size_t>(Shown().size(), 100));
        EXPECT_TRUE(Log().Text() == all) << "the text keeps every byte";
        EXPECT_TRUE(AtEnd());

        // Shown again as a whole, it is cut alike.
        Log().SetText(all);
        EXPECT_TRUE(Shown() == c.shown);
    }
}

}  // namespace
