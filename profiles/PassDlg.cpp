#include "profiles/PassDlg.h"

PassDlg* PassDlg::Instance() {
    return FindOrBuild<PassDlg>([] { return new PassDlg; }, ShownBy::Caller);  // modally
}

void PassDlg::ShowModal() {
    pReturn = false;
    fw::Window::ShowModal();
}

void PassDlg::CreateControls() {
    _CreateControls0();
}

void PassDlg::_CreateControls0() {
    EditField1 = AddControl<fw::TextField>("EditField1");
    EditField1->Place({.left = 30, .top = 40, .width = 200, .height = 22, .tab = 0});
    EditField1->SetTextFont(12);
    EditField1->SetPassword(true);

    const AnswerButtons buttons = AddAnswerButtons(
        {"PushButton1", {.left = 72, .top = 80, .width = 82, .height = 20, .tab = 1}, "キャンセル"},
        Key::Escape,
        {"PushButton2", {.left = 166, .top = 80, .width = 70, .height = 20, .tab = 2}, "入力"},
        [this](bool accepted) { pReturn = accepted; });
    PushButton1 = buttons.decline;
    PushButton2 = buttons.accept;

    StaticText1 = AddControl<fw::Label>("StaticText1");
    StaticText1->Place({.left = 30, .top = 20, .width = 200, .height = 20, .tab = 3});
    StaticText1->SetText("パスワードを入力して下さい。");
    StaticText1->SetTextFont(12);
    StaticText1->SetAlignment(fw::Label::Align::Center);
}
