// The password prompt: its design, its two answers by every way the user gives them, and the
// hidden instance that keeps its text for the next prompt.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/ModalHost.h"
#include "profiles/PassDlg.h"
#include "tests/support/ModalScript.h"

namespace {

using fw::ModalAnswer;
using fw::ModalHost;
using fw::ModalPrompt;

ModalAnswer Custom(std::function<void(QDialog*)> act) {
    return {ModalAnswer::Action::Custom, {}, std::move(act)};
}

// Types the password into the field the way the user does, then gives a key there.
ModalAnswer TypeThenKey(const char* password, Qt::Key key) {
    return Custom([password, key](QDialog* d) {
        auto* field = d->findChild<QLineEdit*>("EditField1");
        QTest::keyClicks(field, password);
        QTest::keyClick(field, key);
    });
}

class PassDlgTest : public testing::Test {
protected:
    void SetUp() override { testsupport::BeginModalScript(); }
    void TearDown() override {
        EXPECT_EQ(ModalHost::PendingSteps(), 0u);
        testsupport::EndModalScript();
        if (PassDlg* open = fw::Window::FindOpen<PassDlg>()) open->Close();
        fw::ProcessPendingEvents();
    }

    // Shows the prompt as the connect command does, answered by the script.
    static PassDlg* Prompt(const ModalAnswer& answer) {
        ModalHost::Expect(answer);
        PassDlg* dialog = PassDlg::Instance();
        dialog->ShowModal();
        return dialog;
    }
};

TEST_F(PassDlgTest, TheDialogAsDesigned) {
    PassDlg* dialog = PassDlg::Instance();
    EXPECT_FALSE(dialog->Visible()) << "shown by its caller, modally";
    EXPECT_FALSE(dialog->pReturn);
    EXPECT_EQ(dialog->Title(), "Untitled");
    EXPECT_EQ(dialog->Width(), 260);
    EXPECT_EQ(dialog->Height(), 120);
    QWidget* top = dialog->Widget()->window();
    EXPECT_EQ(top->minimumSize(), top->maximumSize()) << "not resizable";

    struct Look {
        fw::Control* control;
        const char* name;
        QRect bounds;
        int tab;
    };
    const Look looks[] = {
        {dialog->EditField1, "EditField1", {30, 40, 200, 22}, 0},
        {dialog->PushButton1, "PushButton1", {72, 80, 82, 20}, 1},
        {dialog->PushButton2, "PushButton2", {166, 80, 70, 20}, 2},
        {dialog->StaticText1, "StaticText1", {30, 20, 200, 20}, 3},
    };
    ASSERT_EQ(dialog->Controls().size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const Look& l = looks[i];
        SCOPED_TRACE(l.name);
        EXPECT_EQ(dialog->Controls()[i].get(), l.control) << "created in this order";
        EXPECT_EQ(l.control->Name(), l.name);
        EXPECT_EQ(dialog->ControlNamed(l.name), l.control);
        EXPECT_EQ(
            QRect(l.control->Left(), l.control->Top(), l.control->Width(), l.control->Height()),
            l.bounds);
        EXPECT_EQ(l.control->TabIndex(), l.tab);
        EXPECT_EQ(l.control->TextSize(), 12);
    }
    EXPECT_EQ(dialog->StaticText1->Text(), "パスワードを入力して下さい。");
    EXPECT_FALSE(dialog->StaticText1->TakesFocus());
    EXPECT_EQ(dialog->EditField1->Text(), "");
    EXPECT_TRUE(dialog->EditField1->Password());
    EXPECT_EQ(dialog->PushButton1->Caption(), "キャンセル");
    EXPECT_TRUE(dialog->PushButton1->Cancel());
    EXPECT_FALSE(dialog->PushButton1->Default());
    EXPECT_EQ(dialog->PushButton2->Caption(), "入力");
    EXPECT_TRUE(dialog->PushButton2->Default());
    EXPECT_FALSE(dialog->PushButton2->Cancel());
    for (QPushButton* b : top->findChildren<QPushButton*>()) EXPECT_FALSE(b->autoDefault());
}

TEST_F(PassDlgTest, ShownItTakesTheFocusInTheFieldAndTabGoesThroughTheButtons) {
    std::vector<std::string> focused;
    Prompt(Custom([&](QDialog* d) {
        ASSERT_TRUE(fw::RunEventLoopUntil([d] { return d->isActiveWindow(); }, 5000));
        for (int i = 0; i < 4; ++i) {
            focused.push_back(QApplication::focusWidget()->objectName().toStdString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        d->findChild<QPushButton*>("PushButton1")->click();
    }));
    EXPECT_EQ(focused,
              (std::vector<std::string>{"EditField1", "PushButton1", "PushButton2", "EditField1"}));
}

TEST_F(PassDlgTest, EveryWayOfLeavingItGivesOneOfTheTwoAnswers) {
    struct Case {
        const char* how;
        ModalAnswer answer;
        bool pReturn;
        std::string text;  // in the field afterwards
    };
    const Case cases[] = {
        {"入力", ModalAnswer::Press("入力").WithText("EditField1", "secret"), true, "secret"},
        {"キャンセル", ModalAnswer::Press("キャンセル").WithText("EditField1", "typed"), false,
         "typed"},
        {"Return", TypeThenKey("secret", Qt::Key_Return), true, "secret"},
        {"Enter", TypeThenKey("pw", Qt::Key_Enter), true, "pw"},
        {"Escape", TypeThenKey("secret", Qt::Key_Escape), false, "secret"},
        {"the close box", Custom([](QDialog* d) {
             QTest::keyClicks(d->findChild<QLineEdit*>("EditField1"), "secret");
             d->close();
         }),
         false, "secret"},
        {"the host's cancel", ModalAnswer::Cancel(), false, ""},
        {"blanks only, as typed", ModalAnswer::Press("入力").WithText("EditField1", "  "), true,
         "  "},
        {"入力 with an empty field", ModalAnswer::Press("入力"), true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        PassDlg* dialog = Prompt(c.answer);
        EXPECT_FALSE(dialog->Visible());
        EXPECT_FALSE(dialog->IsClosed());
        EXPECT_EQ(dialog->pReturn, c.pReturn);
        EXPECT_EQ(dialog->EditField1->Text(), c.text);
        dialog->Close();  // the next prompt starts with an empty field
    }
}

// The answer is set afresh each time: a showing ended any other way than by the two buttons
// answers "キャンセル", even after an earlier "入力".
TEST_F(PassDlgTest, EachShowingStartsUnanswered) {
    PassDlg* dialog = Prompt(ModalAnswer::Press("入力").WithText("EditField1", "secret"));
    ASSERT_TRUE(dialog->pReturn);

    Prompt(Custom([](QDialog* d) { d->hide(); }));
    EXPECT_FALSE(dialog->pReturn);

    dialog->pReturn = true;
    Prompt(Custom([dialog](QDialog*) { dialog->Close(); }));  // closed from outside
    EXPECT_FALSE(dialog->pReturn) << "read after the modal call returned";
    EXPECT_TRUE(dialog->IsClosed());
}

TEST_F(PassDlgTest, AHiddenDialogIsFoundAgainWithItsMaskedText) {
    PassDlg* first = Prompt(ModalAnswer::Press("キャンセル").WithText("EditField1", "half typed"));
    EXPECT_FALSE(first->pReturn);

    std::string shownAgain;
    bool masked = false;
    PassDlg* again = Prompt(Custom([&](QDialog* d) {
        auto* field = d->findChild<QLineEdit*>("EditField1");
        shownAgain = field->text().toStdString();
        masked = field->echoMode() == QLineEdit::Password &&
                 !field->displayText().contains(QStringLiteral("half"));
        d->findChild<QPushButton*>("PushButton2")->click();
    }));
    EXPECT_EQ(again, first);
    EXPECT_EQ(shownAgain, "half typed");
    EXPECT_TRUE(masked);
    EXPECT_TRUE(again->pReturn);

    again->Close();  // the password was taken
    PassDlg* fresh = PassDlg::Instance();
    EXPECT_NE(fresh, nullptr);
    EXPECT_EQ(fw::Window::FindOpen<PassDlg>(), fresh);
    EXPECT_EQ(fresh->EditField1->Text(), "");
    EXPECT_FALSE(fresh->pReturn);
}

}  // namespace
