// Help tags show as tool tips where the mouse rests, on disabled controls too (the "ー" button
// is disabled until a profile is selected, and its tag says what it will do), and on labels,
// which otherwise let the mouse through.
#include <gtest/gtest.h>

#include <QToolTip>
#include <string>

#include "framework/BevelButton.h"
#include "framework/CheckBox.h"
#include "framework/Label.h"
#include "framework/TextField.h"
#include "tests/framework/ControlTestWindow.h"
#include "tests/support/HelpTagHover.h"

namespace {

using testsupport::TipShowsOver;

class HelpTagTest : public ControlTest {
protected:
    void TearDown() override {
        QToolTip::hideText();
        ControlTest::TearDown();
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
    fw::Label* label =
        Add<fw::Label>("label", {.left = 340, .top = 100, .width = 80, .height = 16});
    label->SetText("ftp.example.com/a/long/path");
    label->SetHelpTag(label->Text());

    for (fw::Control* control : std::initializer_list<fw::Control*>{minus, field, box, label}) {
        for (bool enabled : {true, false}) {
            SCOPED_TRACE(control->Name() + (enabled ? " enabled" : " disabled"));
            control->SetEnabled(enabled);
            EXPECT_TRUE(TipShowsOver(control));
        }
    }
}

}  // namespace
