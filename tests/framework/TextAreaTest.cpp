// The multi-line text area: exact text, line ends shown as breaks, and a log view that follows
// what is appended while it is at the end.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <string>
#include <vector>

#include "framework/TextArea.h"
#include "framework/TextField.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

using namespace std::string_literals;

class TextAreaTest : public ControlTest {
protected:
    fw::TextArea& Area(int height = 60) {
        if (!area_) {
            area_ =
                Add<fw::TextArea>("area", {.left = 10, .top = 10, .width = 200, .height = height});
            area_->TextChange = [this](fw::TextArea&) { ++changes; };
        }
        return *area_;
    }
    QPlainTextEdit* Edit() { return PlatformOf<QPlainTextEdit>(&Area()); }
    QScrollBar* Bar() { return Edit()->verticalScrollBar(); }
    bool AtEnd() { return Bar()->value() == Bar()->maximum(); }

    int changes = 0;

private:
    fw::TextArea* area_ = nullptr;
};

TEST_F(TextAreaTest, TextIsExactlyTheBytesGivenAndEveryLineEndShowsAsABreak) {
    struct Case {
        const char* how;
        std::vector<std::string> chunks;  // the first set, the others appended
        std::string shown;
    };
    const Case cases[] = {
        {"CR, CR LF and LF", {"one\rtwo\r\nthree\nfour"}, "one\ntwo\nthree\nfour"},
        {"appended lines",
         {"220 ready\r\n", "USER me\r\n", "331 password"},
         "220 ready\nUSER me\n331 password"},
        {"a CR LF split between two appends", {"line\r", "\nnext"}, "line\nnext"},
        {"a CR and then a CR", {"a\r", "\rb"}, "a\n\nb"},
        {"empty lines", {"\r\n\r\n", ""}, "\n\n"},
        {"a NUL",
         {"a\0b"s},
         QString(QStringLiteral("a")).append(QChar(0)).append('b').toStdString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        std::string all;
        Area().SetText(c.chunks.front());
        all = c.chunks.front();
        for (size_t i = 1; i < c.chunks.size(); ++i) {
            Area().AppendText(c.chunks[i]);
            all += c.chunks[i];
        }
        EXPECT_EQ(Area().Text(), all);
        EXPECT_EQ(Edit()->toPlainText().toStdString(), c.shown);
    }
    EXPECT_EQ(changes, 0) << "the program's changes are not the user's";
}

TEST_F(TextAreaTest, AViewAtTheEndFollowsWhatIsAppended) {
    fw::TextArea& log = Area(60);
    log.SetReadOnly(true);
    log.SetScrollBars(true, false);
    for (int i = 0; i < 40; ++i) log.AppendText("line " + std::to_string(i) + "\r\n");
    ASSERT_GT(Bar()->maximum(), 0);
    EXPECT_TRUE(AtEnd());

    Bar()->setValue(0);  // the user reads the beginning: the view stays there
    log.AppendText("more\r\n");
    EXPECT_EQ(Bar()->value(), 0);

    Bar()->setValue(Bar()->maximum());  // back at the end: it follows again
    for (int i = 0; i < 10; ++i) log.AppendText("and more\r\n");
    EXPECT_TRUE(AtEnd());

    Bar()->setValue(0);
    log.ScrollToEnd();
    EXPECT_TRUE(AtEnd());
    log.SetText("");  // emptied, as the log is
    EXPECT_EQ(Bar()->maximum(), 0);
    log.AppendText(std::string(30, '\n'));
    EXPECT_TRUE(AtEnd());
}

// The server log: read-only, a vertical scroll bar only, long lines wrapped; Tab leaves it.
TEST_F(TextAreaTest, TheLogPaneIsReadOnlyWithOnlyAVerticalScrollBar) {
    fw::TextArea& log = Area();
    fw::TextField* next =
        Add<fw::TextField>("next", {.left = 10, .top = 100, .width = 100, .height = 22});
    log.SetReadOnly(true);
    log.SetScrollBars(true, false);
    log.SetText("220 ready");
    EXPECT_TRUE(log.ReadOnly());
    EXPECT_EQ(Edit()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(Edit()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Edit()->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    log.SetFocus();
    QTest::keyClicks(Edit(), "typed");
    QTest::keyClick(Edit(), Qt::Key_Return);
    EXPECT_EQ(log.Text(), "220 ready");
    EXPECT_EQ(changes, 0);
    QTest::keyClick(Edit(), Qt::Key_Tab);
    EXPECT_TRUE(next->HasFocus());

    log.SetScrollBars(false, false);  // the local folder's area: no scroll bars at all
    EXPECT_EQ(Edit()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    log.SetScrollBars(true, true);
    EXPECT_EQ(Edit()->lineWrapMode(), QPlainTextEdit::NoWrap);
}

TEST_F(TextAreaTest, TheUsersTypingIsTheTextAndIsReported) {
    fw::TextArea& notes = Area();
    notes.SetFocus();
    QTest::keyClicks(Edit(), "ab");
    QTest::keyClick(Edit(), Qt::Key_Return);
    QTest::keyClicks(Edit(), "c");
    EXPECT_EQ(notes.Text(), "ab\nc");
    EXPECT_EQ(changes, 4);
}

}  // namespace
