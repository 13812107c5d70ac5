// The program's own modal windows: shown through the modal host, application-modal or as a sheet
// of a parent, ended by hiding or closing; Return presses the default button, Escape and the
// close box the cancel button, and nothing else answers them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/MessageDialog.h"
#include "framework/ModalHost.h"
#include "framework/PushButton.h"
#include "framework/TextField.h"
#include "framework/Window.h"
#include "tests/support/ModalScript.h"

namespace {

using fw::ModalAnswer;
using fw::ModalHost;
using fw::ModalPrompt;

// A dialog with a text field and the buttons asked for; each button records itself and hides
// the dialog.
class TestDialog : public fw::Window {
public:
    struct Buttons {
        bool withDefault = true;
        bool withCancel = true;
    };
    explicit TestDialog(Buttons buttons) : Window(Kind::ModalDialog), buttons_(buttons) {}
    ~TestDialog() override {
        if (deleted) *deleted = true;
    }

    std::vector<std::string> pressed;
    int textChanges = 0;
    bool* deleted = nullptr;
    fw::TextField* Field = nullptr;
    fw::PushButton* Other = nullptr;
    fw::PushButton* Cancel = nullptr;
    fw::PushButton* OK = nullptr;

    void Layout() override {
        SetTitle("Dialog");
        SetWidth(300);
        SetHeight(120);
    }
    void CreateControls() override {
        Field = AddControl<fw::TextField>("Field");
        Field->Place({.left = 20, .top = 20, .width = 200, .height = 22, .tab = 0});
        Field->TextChange = [this](fw::TextField&) { ++textChanges; };
        Other = Button("Other", 10, 1);
        if (buttons_.withCancel) {
            Cancel = Button("Cancel", 100, 2);
            Cancel->SetCancel(true);
        }
        OK = Button("OK", 190, 3);
        OK->SetDefault(buttons_.withDefault);
    }

private:
    fw::PushButton* Button(const std::string& caption, int left, int tab) {
        fw::PushButton* b = AddControl<fw::PushButton>(caption);
        b->Place({.left = left, .top = 80, .width = 80, .height = 20, .tab = tab});
        b->SetCaption(caption);
        b->Action = [this](fw::PushButton& button) {
            pressed.push_back(button.Caption());
            Hide();
        };
        return b;
    }
    Buttons buttons_;
};

ModalAnswer Custom(std::function<void(QDialog*)> act) {
    return {ModalAnswer::Action::Custom, {}, std::move(act)};
}

QWidget* Named(QDialog* d, const char* name) {
    return d->findChild<QWidget*>(name);
}

// Whether a key or a close left the dialog up; if so the script ends it with its OK button.
struct Stayed {
    bool* stayed;
    void operator()(QDialog* d) const {
        fw::ProcessPendingEvents();
        *stayed = d->isVisible();

        if (*stayed) static_cast<QPushButton*>(Named(d, "OK"))->click();
    }
};

class ModalWindowTest : public testing::Test {
protected:
    void SetUp() override { testsupport::BeginModalScript(); }
    void TearDown() override {
        EXPECT_EQ(ModalHost::PendingSteps(), 0u);
        testsupport::EndModalScript();
        for (TestDialog* d : made_) d->Close();
        fw::ProcessPendingEvents();
    }
    TestDialog* Make(TestDialog::Buttons buttons = {}) {
        auto* d = new TestDialog(buttons);
        d->SetVisibleOnOpen(false);
        d->Build();
        made_.push_back(d);
        return d;
    }

private:
    std::vector<TestDialog*> made_;
};

TEST_F(ModalWindowTest, ReturnEscapeAndTheCloseBoxPressTheMarkedButtons) {
    struct Case {
        const char* how;
        TestDialog::Buttons buttons;
        ModalAnswer answer;
        std::vector<std::string> pressed;
        bool stays = false;  // the key or close left the dialog up
    };
    bool stayed = false;
    auto then = [&](std::function<void(QDialog*)> act) {
        return Custom([act, &stayed](QDialog* d) {
            act(d);
            Stayed{&stayed}(d);
        });
    };
    auto key = [](const char* widget, Qt::Key k) {
        return [widget, k](QDialog* d) {
            QWidget* target = Named(d, widget);
            target->setFocus();
            QTest::keyClick(target, k);
        };
    };
    const Case cases[] = {
        {"a press of OK", {}, ModalAnswer::Press("OK"), {"OK"}},
        {"a press of Cancel", {}, ModalAnswer::Press("Cancel"), {"Cancel"}},
        {"Return in the field", {}, then(key("Field", Qt::Key_Return)), {"OK"}},
        {"Enter in the field", {}, then(key("Field", Qt::Key_Enter)), {"OK"}},
        {"Return on another button", {}, then(key("Other", Qt::Key_Return)), {"OK"}},
        {"Return on the cancel button", {}, then(key("Cancel", Qt::Key_Return)), {"OK"}},
        {"the space bar on another button", {}, then(key("Other", Qt::Key_Space)), {"Other"}},
        {"Escape in the field", {}, then(key("Field", Qt::Key_Escape)), {"Cancel"}},
        {"Escape on the default button", {}, then(key("OK", Qt::Key_Escape)), {"Cancel"}},
        {"the close box", {}, then([](QDialog* d) { d->close(); }), {"Cancel"}},
        {"the host's cancel", {}, ModalAnswer::Cancel(), {"Cancel"}},
        // Without a cancel button Escape and the close box do nothing: the dialog stays.
        {"Escape, no cancel button",
         {.withCancel = false},
         then(key("Field", Qt::Key_Escape)),
         {"OK"},
         true},
        {"the close box, no cancel button",
         {.withCancel = false},
         then([](QDialog* d) { d->close(); }),
         {"OK"},
         true},
        // Without a default button Return does nothing, on whichever button has the focus.
        {"Return, no default button",
         {.withDefault = false},
         then(key("Field", Qt::Key_Return)),
         {"OK"},
         true},
        {"Return on a button, no default button",
         {.withDefault = false},
         then(key("Other", Qt::Key_Return)),
         {"OK"},
         true},
        {"Return, the default button disabled",
         {},
         then([&](QDialog* d) {
             Named(d, "OK")->setEnabled(false);
             key("Field", Qt::Key_Return)(d);
             Named(d, "OK")->setEnabled(true);
         }),
         {"OK"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        stayed = false;
        TestDialog* d = Make(c.buttons);
        ModalHost::Expect(c.answer);
        d->ShowModal();
        EXPECT_FALSE(d->Visible());
        EXPECT_FALSE(d->InModal());
        EXPECT_EQ(d->pressed, c.pressed);
        EXPECT_EQ(stayed, c.stays);
    }
}

TEST_F(ModalWindowTest, TheHostRecordsTheWindowAndTypesIntoItsFields) {
    TestDialog* d = Make();
    ModalHost::ExpectStep([](const ModalPrompt& p) {
        EXPECT_EQ(p.kind, "window");
        EXPECT_EQ(p.title, "Dialog");
        EXPECT_EQ(p.buttons, (std::vector<std::string>{"Other", "Cancel", "OK"}));
        return ModalAnswer::Press("OK").WithText("Field", "typed\r\ntext");
    });
    d->Field->SetText("old");
    d->textChanges = 0;
    d->ShowModal();
    EXPECT_EQ(d->pressed, std::vector<std::string>{"OK"});
    EXPECT_EQ(d->Field->Text(), "typedtext") << "typed through the field's own filter";
    EXPECT_EQ(d->textChanges, 1);

    // A field that is not there, or cannot be typed into, fails the step; the dialog ends.
    std::vector<std::string> reported;
    ModalHost::SetUnexpectedHandler([&](const ModalPrompt& p) { reported.push_back(p.message); });
    for (const char* field : {"NoSuchField", "Field"}) {
        SCOPED_TRACE(field);
        d->Field->SetReadOnly(true);
        ModalHost::Expect(ModalAnswer::Press("OK").WithText(field, "x"));
        d->pressed.clear();
        d->ShowModal();
        EXPECT_EQ(d->pressed, std::vector<std::string>{"Cancel"});
        EXPECT_EQ(d->Field->Text(), "typedtext");
    }
    ASSERT_EQ(reported.size(), 2u);
    EXPECT_NE(reported[0].find("NoSuchField"), std::string::npos);
}

TEST_F(ModalWindowTest, ASheetIsModalToItsParentOnlyAndLeavesItAfterwards) {
    auto* parent = new fw::Window;
    parent->Build();
    TestDialog* d = Make();
    QWidget* top = d->Widget()->window();
    struct Seen {
        QWidget* parent = nullptr;
        Qt::WindowModality modality = Qt::NonModal;
    } sheet, appModal;
    auto look = [&](Seen* seen) {
        return Custom([seen, top](QDialog* dialog) {
            EXPECT_EQ(dialog, top);
            seen->parent = dialog->parentWidget();
            seen->modality = dialog->windowModality();
            dialog->findChild<QPushButton*>("OK")->click();
        });
    };
    ModalHost::Expect(look(&sheet));
    d->ShowModalWithin(parent);
    EXPECT_EQ(sheet.parent, parent->Widget()->window());
    EXPECT_EQ(sheet.modality, Qt::WindowModal);
    EXPECT_EQ(top->parentWidget(), nullptr) << "the sheet lives as long as its own window";

    ModalHost::Expect(look(&appModal));
    d->ShowModal();
    EXPECT_EQ(appModal.parent, nullptr);
    EXPECT_EQ(appModal.modality, Qt::ApplicationModal);
    EXPECT_EQ(d->pressed, (std::vector<std::string>{"OK", "OK"}));

    // The parent closes while its sheet is up: the sheet ends with it, and both go safely.
    bool dialogDeleted = false;
    TestDialog* sheetOnClosing = Make();
    sheetOnClosing->deleted = &dialogDeleted;
    ModalHost::Expect(Custom([&](QDialog* dialog) {
        parent->Close();
        fw::ProcessPendingEvents();
        EXPECT_FALSE(dialogDeleted);
        dialog->findChild<QPushButton*>("Cancel")->click();
    }));
    sheetOnClosing->ShowModalWithin(parent);
    EXPECT_EQ(sheetOnClosing->pressed, std::vector<std::string>{"Cancel"});
    EXPECT_EQ(sheetOnClosing->Widget()->window()->parentWidget(), nullptr);
}

// The window closes itself from its button; whoever showed it still reads it afterwards.
TEST_F(ModalWindowTest, AWindowClosedWhileModalLivesUntilItsShowModalHasReturned) {
    bool deleted = false;
    auto* d = new TestDialog({});
    d->deleted = &deleted;
    d->SetVisibleOnOpen(false);
    d->Build();
    d->OK->Action = [&](fw::PushButton&) {
        d->Close();
        fw::ProcessPendingEvents();  // as a handler that gives way would
    };
    ModalHost::Expect(ModalAnswer::Press("OK").WithText("Field", "kept"));
    d->ShowModal();
    ASSERT_FALSE(deleted);
    EXPECT_EQ(d->Field->Text(), "kept");
    EXPECT_TRUE(d->IsClosed());
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return deleted; }, 5000));
}

TEST_F(ModalWindowTest, AMessageDialogAnswersReturnEscapeAndTheCloseBoxTheSameWay) {
    struct Case {
        const char* how;
        bool withCancel, withAlternate;
        std::function<void(QDialog*)> act;
        const char* expected;  // the answer's caption
        bool stays = false;
    };
    auto key = [](Qt::Key k, const char* focused = nullptr) {
        return [k, focused](QDialog* d) {
            QWidget* target = d;
            if (focused)
                for (QPushButton* b : d->findChildren<QPushButton*>())
                    if (b->text() == focused) target = b;
            target->setFocus();
            QTest::keyClick(target, k);
        };
    };
    auto close = [](QDialog* d) { d->close(); };
    const Case cases[] = {
        {"Return", true, true, key(Qt::Key_Return), "Save"},
        {"Return on the cancel button", true, true, key(Qt::Key_Return, "Cancel"), "Save"},
        {"Return on the other button", true, true, key(Qt::Key_Return, "Don't Save"), "Save"},
        {"Escape", true, true, key(Qt::Key_Escape), "Cancel"},
        {"the close box", true, false, close, "Cancel"},
        {"Escape, no cancel button", false, true, key(Qt::Key_Escape), "Save", true},
        {"the close box, no cancel button", false, false, close, "Save", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        fw::MessageDialog d;
        d.Message = "Save the log?";
        d.ActionButton.Caption = "Save";
        d.CancelButton.Visible = c.withCancel;
        d.AlternateActionButton.Caption = "Don't Save";
        d.AlternateActionButton.Visible = c.withAlternate;
        bool stayed = false;
        ModalHost::Expect(Custom([&](QDialog* dialog) {
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                EXPECT_FALSE(b->autoDefault()) << b->text().toStdString();
            c.act(dialog);
            fw::ProcessPendingEvents();
            stayed = dialog->isVisible();
            if (stayed)
                for (QPushButton* b : dialog->findChildren<QPushButton*>())
                    if (b->text() == "Save") b->click();
        }));
        fw::MessageDialogButton* pressed = d.ShowModal();
        ASSERT_NE(pressed, nullptr);
        EXPECT_EQ(pressed->Caption, c.expected);
        EXPECT_EQ(stayed, c.stays);
    }
}

}  // namespace
