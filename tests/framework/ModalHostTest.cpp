#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/FileDialogs.h"
#include "framework/MessageDialog.h"
#include "framework/ModalHost.h"
#include "framework/Window.h"
#include "tests/support/ModalScript.h"

namespace {

using fw::ModalAnswer;
using fw::ModalHost;
using fw::ModalPrompt;

class ModalHostTest : public testing::Test {
protected:
    void SetUp() override { testsupport::BeginModalScript(); }
    void TearDown() override {
        EXPECT_EQ(ModalHost::PendingSteps(), 0u) << "the script expected more dialogs";
        testsupport::EndModalScript();
    }

    // The program's usual question: three buttons.
    static fw::MessageDialog SaveQuestion() {
        fw::MessageDialog d;
        d.Title = "Quillomar";
        d.Message = "Save the log?";
        d.Explanation = "It has not been saved.";
        d.ActionButton.Caption = "Save";
        d.CancelButton.Caption = "Cancel";
        d.CancelButton.Visible = true;
        d.AlternateActionButton.Caption = "Don't Save";
        d.AlternateActionButton.Visible = true;
        return d;
    }

    static std::string TestRoot() { return std::getenv("QUILLOMAR_TEST_ROOT"); }
};

TEST_F(ModalHostTest, AMessageDialogAnswersTheButtonPressed) {
    struct Case {
        ModalAnswer answer;
        const char* expected;  // caption of the answer
    };
    const Case cases[] = {
        {ModalAnswer::Press("Save"), "Save"},
        {ModalAnswer::Press("Don't Save"), "Don't Save"},
        {ModalAnswer::Press("Cancel"), "Cancel"},
        {ModalAnswer::Cancel(), "Cancel"},
        {{ModalAnswer::Action::Custom, {}, [](QDialog* d) { QTest::keyClick(d, Qt::Key_Return); }},
         "Save"},
        {{ModalAnswer::Action::Custom, {}, [](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); }},
         "Cancel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        fw::MessageDialog d = SaveQuestion();
        ModalHost::Expect(c.answer);
        fw::MessageDialogButton* pressed = d.ShowModal();
        ASSERT_NE(pressed, nullptr);
        EXPECT_EQ(pressed->Caption, c.expected);
        EXPECT_FALSE(ModalHost::Active());
    }
}

TEST_F(ModalHostTest, TheHostRecordsWhatEachDialogShowed) {
    fw::MessageDialog d = SaveQuestion();
    d.AlternateActionButton.Visible = false;
    ModalHost::ExpectStep([](const ModalPrompt& p) {
        EXPECT_TRUE(ModalHost::Active());
        return ModalAnswer::Press(p.buttons.front());
    });
    EXPECT_EQ(d.ShowModal(), &d.ActionButton);
    ModalHost::Expect(ModalAnswer::Press("OK"));
    fw::MsgBox("The connection was closed.");

    const std::vector<ModalPrompt>& shown = ModalHost::Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, "message");
    EXPECT_EQ(shown[0].title, "Quillomar");
    EXPECT_EQ(shown[0].message, "Save the log?");
    EXPECT_EQ(shown[0].explanation, "It has not been saved.");
    EXPECT_EQ(shown[0].buttons, (std::vector<std::string>{"Save", "Cancel"}));
    EXPECT_EQ(shown[1].kind, "msgbox");
    EXPECT_EQ(shown[1].message, "The connection was closed.");
    EXPECT_EQ(shown[1].buttons, std::vector<std::string>{"OK"});
}

TEST_F(ModalHostTest, ADialogTheScriptDidNotExpectIsRecordedAndCancelled) {
    std::vector<std::string> reported;
    ModalHost::SetUnexpectedHandler([&](const ModalPrompt& p) { reported.push_back(p.message); });
    fw::MessageDialog d = SaveQuestion();
    EXPECT_EQ(d.ShowModal(), &d.CancelButton);  // no step left: it must not hang

    ModalHost::Expect(ModalAnswer::Press("Overwrite"));  // a button the dialog does not have
    EXPECT_EQ(d.ShowModal(), &d.CancelButton);

    ASSERT_EQ(ModalHost::Unexpected().size(), 2u);
    EXPECT_EQ(ModalHost::Unexpected()[0].message, "Save the log?");
    EXPECT_EQ(reported.size(), 2u);
    EXPECT_NE(reported[1].find("Overwrite"), std::string::npos);
}

// A modal window whose button asks a question: the question runs in a loop nested in the
// window's, and each is answered by its own step, in order.
class ConfirmingDialog : public fw::Window {
public:
    ConfirmingDialog() : Window(Kind::ModalDialog) {}
    std::optional<std::string> answer;  // the caption pressed; the dialog is gone afterwards
    bool nestedWhileAsking = false;

    void CreateControls() override {
        auto* go = new QPushButton("Start", Widget());
        QObject::connect(go, &QPushButton::clicked, [this] {
            fw::MessageDialog confirm;
            confirm.Message = "Start the sync?";
            if (fw::MessageDialogButton* pressed = confirm.ShowModalWithin(this))
                answer = pressed->Caption;
            nestedWhileAsking = ModalHost::Active();
            Hide();  // ends the window's modal loop
        });
    }
};

TEST_F(ModalHostTest, NestedModalDialogsAreAnsweredInOrder) {
    auto* window = new ConfirmingDialog;
    window->SetVisibleOnOpen(false);
    window->Build();
    window->SetTitle("Sync");
    ModalHost::ExpectStep([](const ModalPrompt& p) {
        EXPECT_EQ(p.kind, "window");
        EXPECT_EQ(p.title, "Sync");
        return ModalAnswer{ModalAnswer::Action::Custom, {}, [](QDialog* d) {
                               d->findChild<QPushButton*>()->click();
                           }};
    });
    ModalHost::Expect(ModalAnswer::Press("OK"));
    window->ShowModal();
    EXPECT_FALSE(ModalHost::Active());
    EXPECT_EQ(window->answer, "OK");
    EXPECT_TRUE(window->nestedWhileAsking);
    ASSERT_EQ(ModalHost::Shown().size(), 2u);
    EXPECT_EQ(ModalHost::Shown()[1].message, "Start the sync?");
    window->Close();
}

TEST_F(ModalHostTest, TheSaveDialogAnswersTheChosenFileOrNothing) {
    const std::string fresh = TestRoot() + "/log.txt";
    const std::string existing = TestRoot() + "/old-log.txt";
    std::ofstream(existing) << "old";
    struct Case {
        ModalAnswer answer;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {ModalAnswer::Choose(fresh), fresh},
        {ModalAnswer::Choose(existing), existing},  // the script's choice needs no confirmation
        {ModalAnswer::Cancel(), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.text);
        ModalHost::Expect(c.answer);
        std::optional<fw::FolderItem> chosen =
            fw::GetSaveFolderItem("log.txt", "Text File (*.txt)", fw::FolderItem(TestRoot() + "/"));
        ASSERT_EQ(chosen.has_value(), c.expected.has_value());
        if (chosen) {
            EXPECT_EQ(chosen->AbsolutePath(), *c.expected);
        }
    }
    EXPECT_EQ(ModalHost::Shown().front().kind, "save");
    EXPECT_EQ(ModalHost::Shown().front().suggestedName, "log.txt");
}

TEST_F(ModalHostTest, TheFolderChooserAnswersTheChosenFolderOrNothing) {
    const std::string folder = TestRoot() + "/Desktop/";
    struct Case {
        ModalAnswer answer;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {ModalAnswer::Choose(folder), folder},
        {ModalAnswer::Choose(TestRoot() + "/Desktop"), folder},
        {ModalAnswer::Cancel(), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.text);
        ModalHost::Expect(c.answer);
        std::optional<fw::FolderItem> chosen =
            fw::SelectFolder("Local folder", fw::FolderItem(TestRoot() + "/"));
        ASSERT_EQ(chosen.has_value(), c.expected.has_value());
        if (chosen) {
            EXPECT_EQ(chosen->AbsolutePath(), *c.expected);
        }
    }
    EXPECT_EQ(ModalHost::Shown().front().kind, "folder");
    EXPECT_EQ(ModalHost::Shown().front().title, "Local folder");
}

// The save dialog and the folder chooser are Qt's own: they speak Japanese like the rest of the
// window, whatever the system's language.
TEST_F(ModalHostTest, TheSaveDialogAndTheFolderChooserSpeakJapanese) {
    std::vector<std::string> texts;
    auto collect = [&texts](QDialog* d) {
        for (QAbstractButton* b : d->findChildren<QAbstractButton*>())
            if (b->isVisible() && !b->text().isEmpty()) texts.push_back(b->text().toStdString());
        for (QLabel* l : d->findChildren<QLabel*>())
            if (l->isVisible() && !l->text().isEmpty()) texts.push_back(l->text().toStdString());
        d->reject();
    };
    struct Case {
        const char* dialog;
        std::function<void()> show;
        std::vector<std::string> japanese;
    };
    const Case cases[] = {
        {"save",
         [] { fw::GetSaveFolderItem("log.txt", "Text File (*.txt)"); },
         {"保存(&S)", "キャンセル", "アドレス:", "ファイル名(&N):", "ファイルの種類:"}},
        {"folder", [] { fw::SelectFolder(); }, {"選択(&C)", "キャンセル", "ディレクトリ:"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialog);
        texts.clear();
        ModalHost::Expect(ModalAnswer{ModalAnswer::Action::Custom, {}, collect});
        c.show();
        auto shown = [&texts](const std::string& text) {
            return std::find(texts.begin(), texts.end(), text) != texts.end();
        };
        for (const std::string& text : c.japanese) EXPECT_TRUE(shown(text)) << text;
        for (const char* english : {"&Save", "Cancel", "Look in:", "File &name:", "Files of type:",
                                    "&Choose", "Directory:"})
            EXPECT_FALSE(shown(english)) << english;
    }
}

// The dialog's own questions about such a choice would hang the test; the host records it instead.
TEST_F(ModalHostTest, AChoiceTheFileDialogCannotTakeIsRecordedAndCancelled) {
    std::vector<std::string> reported;
    ModalHost::SetUnexpectedHandler([&](const ModalPrompt& p) { reported.push_back(p.message); });
    const std::string file = TestRoot() + "/notes.txt";
    std::ofstream(file) << "notes";

    ModalHost::Expect(ModalAnswer::Choose(TestRoot() + "/no such folder/"));
    EXPECT_EQ(fw::SelectFolder("Local folder"), std::nullopt);
    ModalHost::Expect(ModalAnswer::Choose(file));
    EXPECT_EQ(fw::SelectFolder("Local folder"), std::nullopt);
    ModalHost::Expect(ModalAnswer::Choose(TestRoot() + "/Desktop/"));
    EXPECT_EQ(fw::GetSaveFolderItem("log.txt"), std::nullopt);
    ModalHost::Expect(ModalAnswer::Choose(file));  // a message dialog has nothing to choose
    fw::MsgBox("Saved.");

    EXPECT_EQ(reported.size(), 4u);
    EXPECT_EQ(ModalHost::Unexpected().size(), 4u);
}

// The usual modal window: its OK button closes it, and whoever showed it reads its answer after.
class AnsweringDialog : public fw::Window {
public:
    AnsweringDialog(bool* deleted) : Window(Kind::ModalDialog), deleted_(deleted) {}
    ~AnsweringDialog() override { *deleted_ = true; }
    bool confirmed = false;

    void CreateControls() override {
        auto* ok = new QPushButton("OK", Widget());
        QObject::connect(ok, &QPushButton::clicked, [this] {
            confirmed = true;
            Close();
        });
    }

private:
    bool* deleted_;
};

TEST_F(ModalHostTest, AModalWindowThatClosesItselfOutlivesItsShowModal) {
    bool deleted = false;
    auto* dialog = new AnsweringDialog(&deleted);
    dialog->SetVisibleOnOpen(false);
    dialog->Build();
    ModalHost::Expect(ModalAnswer::Press("OK"));
    dialog->ShowModal();
    ASSERT_FALSE(deleted);
    EXPECT_TRUE(dialog->confirmed);
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return deleted; }, 5000));
}

}  // namespace
