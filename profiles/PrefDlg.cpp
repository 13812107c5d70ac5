#include "profiles/PrefDlg.h"

#include <string>

PrefDlg* PrefDlg::Instance() {
    return FindOrBuild<PrefDlg>([] { return new PrefDlg; }, ShownBy::Caller);  // modally
}

void PrefDlg::CreateControls() {
    _CreateControls0();
}

namespace {

void BoxLook(fw::CheckBox* box, const std::string& caption) {
    box->SetCaption(caption);
    box->SetTextFont(12);
}

}  // namespace

void PrefDlg::_CreateControls0() {
    // Not the cancel button: Escape presses nothing here.
    const AnswerButtons buttons = AddAnswerButtons(
        {"PushButton1",
         {.left = 256, .top = 220, .width = 82, .height = 20, .tab = 0},
         "キャンセル"},
        Key::None,
        {"PushButton2", {.left = 350, .top = 220, .width = 70, .height = 20, .tab = 1}, "保存"},
        [this](bool accepted) { pReturn = accepted; });
    PushButton1 = buttons.decline;
    PushButton2 = buttons.accept;

    // The boxes stand top to bottom from CheckBox1 to CheckBox5; they are created bottom up.
    CheckBox5 = AddControl<fw::CheckBox>("CheckBox5");
    CheckBox5->Place({.left = 30, .top = 160, .width = 300, .height = 20, .tab = 8});
    BoxLook(CheckBox5, "セットのヘルプタグ（ツールチップ）を表示する");
    CheckBox4 = AddControl<fw::CheckBox>("CheckBox4");
    CheckBox4->Place({.left = 30, .top = 130, .width = 250, .height = 20, .tab = 9});
    BoxLook(CheckBox4, "同期前に、確認ダイアログを表示する");
    CheckBox3 = AddControl<fw::CheckBox>("CheckBox3");
    CheckBox3->Place({.left = 30, .top = 100, .width = 250, .height = 20, .tab = 10});
    BoxLook(CheckBox3, "ダイアログ表示時、ビープ音を鳴らす");
    CheckBox2 = AddControl<fw::CheckBox>("CheckBox2");
    CheckBox2->Place({.left = 30, .top = 70, .width = 249, .height = 20, .tab = 11});
    BoxLook(CheckBox2, "ウィンドウサイズを保持する");
    CheckBox1 = AddControl<fw::CheckBox>("CheckBox1");
    CheckBox1->Place({.left = 30, .top = 40, .width = 238, .height = 20, .tab = 12});
    BoxLook(CheckBox1, "セットを選択したら直ちに接続する");
}
