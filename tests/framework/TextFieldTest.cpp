// The one-line text field: what gets in, by every way text gets in, and what it reports.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <string>

#include "framework/TextField.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

using namespace std::string_literals;

class TextFieldTest : public ControlTest {
public:  // for the tables' steps
    fw::TextField& Field() {
        if (!field_) {
            field_ =
                Add<fw::TextField>("field", {.left = 10, .top = 10, .width = 200, .height = 22});
            field_->TextChange = [this](fw::TextField&) { ++changes; };
            field_->SetFocus();
        }
        return *field_;
    }
    QLineEdit* Edit() { return PlatformOf<QLineEdit>(&Field()); }
    // Text typed through an input method, the way Japanese is typed.
    void Commit(const std::string& text) {
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromStdString(text));
        QApplication::sendEvent(Edit(), &commit);
    }
    void Paste(const std::string& text) {
        QApplication::clipboard()->setText(QString::fromUtf8(text.data(), text.size()));
        QTest::keySequence(Edit(), QKeySequence::Paste);
    }

    int changes = 0;

private:
    fw::TextField* field_ = nullptr;
};

// Its text goes into FTP commands and settings files, where a line break or a NUL would do harm.
TEST_F(TextFieldTest, LineBreaksAndNulNeverGetIn) {
    struct Case {
        const char* how;
        std::function<void(TextFieldTest&)> put;
        std::string expected;
    };
    const Case cases[] = {
        {"SetText", [](TextFieldTest& t) { t.Field().SetText("us\r\ner\0x\nname"s); }, "userxname"},
        {"typing",
         [](TextFieldTest& t) {
             for (const char* text : {"a", "\r", "b", "\n", "c"}) {
                 QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
                 QApplication::sendEvent(t.Edit(), &press);
             }
         },
         "abc"},
        {"an input method", [](TextFieldTest& t) { t.Commit("あ\nい\r"); }, "あい"},
        {"Return",
         [](TextFieldTest& t) {
             QTest::keyClicks(t.Edit(), "ab");
             QTest::keyClick(t.Edit(), Qt::Key_Return);
             QTest::keyClicks(t.Edit(), "c");
         },
         "abc"},
        {"paste", [](TextFieldTest& t) { t.Paste("pass\r\nword\0!"s); }, "password!"},
        {"insert", [](TextFieldTest& t) { t.Edit()->insert(QStringLiteral("a\u0000b\rc")); },
         "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Field().SetText("");
        c.put(*this);
        EXPECT_EQ(Field().Text(), c.expected);
        EXPECT_EQ(Edit()->text().toStdString(), c.expected);
    }
}

TEST_F(TextFieldTest, TheByteLimitCutsAtACharacterBoundary) {
    struct Case {
        const char* how;
        int32_t maxBytes;
        std::function<void(TextFieldTest&)> put;
        std::string expected;
    };
    const Case cases[] = {
        {"SetText of three-byte characters", 5,
         [](TextFieldTest& t) { t.Field().SetText("aあい"); }, "aあ"},
        {"SetText of a four-byte character", 5, [](TextFieldTest& t) { t.Field().SetText("a😀b"); },
         "a😀"},
        {"a four-byte character that does not fit", 4,
         [](TextFieldTest& t) { t.Field().SetText("a😀"); }, "a"},
        {"typing past the limit", 7,
         [](TextFieldTest& t) {
             for (const char* ch : {"あ", "い", "う"}) t.Commit(ch);
         },
         "あい"},
        // Pasted into the middle: the text on both sides stays, the paste is cut.
        {"paste into the middle", 5,
         [](TextFieldTest& t) {
             t.Field().SetText("xy");
             t.Edit()->setCursorPosition(1);
             t.Paste("abcdef");
         },
         "xabcy"},
        {"paste of multi-byte text", 6,
         [](TextFieldTest& t) {
             t.Field().SetText("ab");
             t.Paste("ぁぃぅ");
         },
         "abぁ"},
        {"a lower limit cuts the text there", 0,
         [](TextFieldTest& t) {
             t.Field().SetText("abcdef");
             t.Field().SetMaxBytes(3);
         },
         "abc"},
        {"no limit", 0, [](TextFieldTest& t) { t.Field().SetText(std::string(1000, 'z')); },
         std::string(1000, 'z')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Field().SetMaxBytes(0);
        Field().SetText("");
        Field().SetMaxBytes(c.maxBytes);
        c.put(*this);
        EXPECT_EQ(Field().Text(), c.expected);
        EXPECT_EQ(Edit()->text().toStdString(), c.expected);
    }
}

TEST_F(TextFieldTest, TextChangeFollowsEveryRealChange) {
    Field();
    QTest::keyClicks(Edit(), "ab");
    EXPECT_EQ(changes, 2);
    Field().SetText("xy");
    EXPECT_EQ(changes, 3);
    Field().SetText("xy");  // the same text: no change
    EXPECT_EQ(changes, 3);
    Paste("\r\n");  // nothing of it gets in
    EXPECT_EQ(changes, 3);
    QTest::keyClick(Edit(), Qt::Key_Backspace);
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(Field().Text(), "x");
}

TEST_F(TextFieldTest, AMaskedFieldShowsAndGivesAwayNothing) {
    Field().SetPassword(true);
    QTest::keyClicks(Edit(), "secret");
    EXPECT_EQ(Field().Text(), "secret");
    EXPECT_TRUE(Field().Password());
    EXPECT_EQ(Edit()->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(Edit()->displayText().contains(QStringLiteral("secret")));

    QApplication::clipboard()->setText(QStringLiteral("before"));
    Edit()->selectAll();
    QTest::keySequence(Edit(), QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
    QTest::keySequence(Edit(), QKeySequence::Cut);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
}

TEST_F(TextFieldTest, AReadOnlyFieldTakesNoTyping) {
    Field().SetText("fixed");
    Field().SetReadOnly(true);
    QTest::keyClicks(Edit(), "more");
    Paste("pasted");
    EXPECT_EQ(Field().Text(), "fixed");
    Field().SetText("set by the program");
    EXPECT_EQ(Field().Text(), "set by the program");
}

}  // namespace
