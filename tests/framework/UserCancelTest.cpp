#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "framework/EventLoop.h"
#include "framework/MessageDialog.h"
#include "framework/ModalHost.h"
#include "framework/UserCancel.h"

namespace {

// Real key presses, typed into a shown text field the way the user types them.
class UserCancelTest : public testing::Test {
protected:
    void SetUp() override {
        field = std::make_unique<QLineEdit>();
        field->show();
        field->activateWindow();
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return field->isActiveWindow(); }, 5000));
        fw::ClearUserCancelled();
    }

    std::unique_ptr<QLineEdit> field;
};

TEST_F(UserCancelTest, EscapeAndCtrlPeriodAreLatchedUntilRead) {
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool cancels;
    };
    const Case cases[] = {
        {"Escape", Qt::Key_Escape, Qt::NoModifier, true},
        {"Ctrl+.", Qt::Key_Period, Qt::ControlModifier, true},
        {".", Qt::Key_Period, Qt::NoModifier, false},
        {"Ctrl+Q", Qt::Key_Q, Qt::ControlModifier, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::keyClick(field.get(), c.key, c.modifiers);
        fw::ProcessPendingEvents();  // the latch outlives the event loop's turns
        EXPECT_EQ(fw::UserCancelled(), c.cancels);
        EXPECT_FALSE(fw::UserCancelled()) << "reading clears the latch";
    }
}

TEST_F(UserCancelTest, ClearForgetsAPress) {
    QTest::keyClick(field.get(), Qt::Key_Escape);
    fw::ClearUserCancelled();
    EXPECT_FALSE(fw::UserCancelled());
}

// The Escape that answers a dialog belongs to the dialog, not to the operation behind it.
TEST_F(UserCancelTest, KeysTypedIntoAModalDialogAreNotLatched) {
    fw::ModalHost::BeginScript();
    fw::ModalHost::Expect({fw::ModalAnswer::Action::Custom, {}, [](QDialog* d) {
                               QTest::keyClick(d, Qt::Key_Escape);
                           }});
    fw::MessageDialog question;
    question.Message = "Stop the sync?";
    question.CancelButton.Visible = true;
    EXPECT_EQ(question.ShowModal(), &question.CancelButton);
    fw::ModalHost::EndScript();
    EXPECT_FALSE(fw::UserCancelled());

    QTest::keyClick(field.get(), Qt::Key_Escape);  // and once the dialog is gone it counts again
    EXPECT_TRUE(fw::UserCancelled());
}

}  // namespace
