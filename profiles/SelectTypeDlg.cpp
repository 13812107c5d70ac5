#include "profiles/SelectTypeDlg.h"

#include "framework/Graphics.h"

namespace {

constexpr int32_t kIconSize = 64;

// The answers, as strings: assigning a literal trips a false -Wrestrict of GCC 12's optimiser.
const std::string kAscii = "A";
const std::string kBinary = "I";
const std::string kCancel = "C";

}  // namespace

SelectTypeDlg* SelectTypeDlg::New() {
    return Built(new SelectTypeDlg, ShownBy::Caller);  // modally
}

void SelectTypeDlg::CreateControls() {
    _CreateControls0();
}

void SelectTypeDlg::_CreateControls0() {
    StaticText1 = AddControl<fw::Label>("StaticText1");
    StaticText1->Place({.left = 103, .top = 13, .width = 352, .height = 25, .tab = 0});
    StaticText1->SetText("ファイルタイプが不明です。");
    StaticText1->SetTextFont(13, true);

    StaticText2 = AddControl<fw::Label>("StaticText2");
    StaticText2->Place({.left = 103, .top = 38, .width = 352, .height = 20, .tab = 1});
    StaticText2->SetText("AsciiかBinaryを選択してください。");
    StaticText2->SetTextFont(12);

    Canvas1 = AddControl<fw::Canvas>("Canvas1");
    Canvas1->Place({.left = 26, .top = 17, .width = kIconSize, .height = kIconSize, .tab = 2});
    Canvas1->Paint = [this](fw::Canvas& c, fw::Graphics& g) { Canvas1_Paint(c, g); };

    const AnswerButtons buttons = AddAnswerButtons(
        {"PushButton1",
         {.left = 253, .top = 104, .width = 94, .height = 20, .tab = 3},
         "キャンセル"},
        Key::Escape,
        {"PushButton2", {.left = 360, .top = 104, .width = 94, .height = 20, .tab = 4}, "実行"},
        [this](bool accepted) {
            pRetString = !accepted ? kCancel : RadioButton1->Value() ? kAscii : kBinary;
        });
    PushButton1 = buttons.decline;
    PushButton2 = buttons.accept;

    RadioButton1 = AddControl<fw::RadioButton>("RadioButton1");
    RadioButton1->Place({.left = 113, .top = 58, .width = 100, .height = 20, .tab = 5});
    RadioButton1->SetCaption("Ascii");
    RadioButton1->SetTextFont(12);
    RadioButton1->SetValue(true);

    RadioButton2 = AddControl<fw::RadioButton>("RadioButton2");
    RadioButton2->Place({.left = 113, .top = 79, .width = 100, .height = 20, .tab = 6});
    RadioButton2->SetCaption("Binary");
    RadioButton2->SetTextFont(12);
}

void SelectTypeDlg::Canvas1_Paint(fw::Canvas& /*canvas*/, fw::Graphics& g) {
    g.DrawCautionIcon(0, 0, kIconSize);
}
