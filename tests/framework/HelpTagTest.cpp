// Help tags show as tool tips where the mouse rests, on disabled controls too (the "ー" button
// is disabled until a profile is selected, and its tag says what it will do).
#include <gtest/gtest.h>

#include <QTest>
#include <QToolTip>
#include <string>

#include "framework/BevelButton.h"
#include "framework/CheckBox.h"
#include "framework/TextField.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

class HelpTagTest : public ControlTest {
protected:
    void TearDown() override {
        QToolTip::hideText();
        ControlTest::TearDown();
    }
    // Rests the mouse on the control: whether its help tag shows as the tool tip.
    static bool TipShowsOver(fw::Control* control) {
        QToolTip::hideText();
        EXPECT_TRUE(fw::RunEventLoopUntil([] { return !QToolTip::isVisible(); }, 3000));
        QTest::mouseMove(control->Widget(), QPoint(3, 3));
        QTest::mouseMove(control->Widget(), QPoint(5, 5));
        return fw::RunEventLoopUntil(
            [&] {
                return QToolTip::isVisible() &&
                       QToolTip::text().toStdString() == control->HelpTag();
            },
            3000);
    }
};

TEST_F(HelpTagTest, AHelpTagShowsOverEnabledAndDisabledControls) {
    fw::BevelButton* minus =
        Add<fw::BevelButton>("BevelButton2", {.left = 27, .top = 100, .width = 22, .height = 18});
    minus->SetCaption("ー");
    minus->SetHelpTag("選択されているサーバ設定を削除します");
    fw::TextField* field =
        Add<fw::TextField>("field", {.left = 100, .top = 100, .width = 100, .height = 22});
    field->SetHelpTag("サーバのアドレス");
    fw::CheckBox* box =
        Add<fw::CheckBox>("box", {.left = 220, .top = 100, .width = 100, .height = 20});
    box->SetHelpTag("パッシブモード");

    for (fw::Control* control : std::initializer_list<fw::Control*>{minus, field, box}) {
        for (bool enabled : {true, false}) {
            SCOPED_TRACE(control->Name() + (enabled ? " enabled" : " disabled"));
            control->SetEnabled(enabled);
            EXPECT_TRUE(TipShowsOver(control));
        }
    }
}

}  // namespace
