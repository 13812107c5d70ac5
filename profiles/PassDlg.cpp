#include "profiles/PassDlg.h"

PassDlg* PassDlg::Instance() {
    if (PassDlg* open = fw::Window::FindOpen<PassDlg>()) return open;
    auto* dialog = new PassDlg;
    dialog->SetVisibleOnOpen(false);  // the caller shows it, modally
    dialog->Build();
    return dialog;
}

void PassDlg::ShowModal() {
    pReturn = false;
    fw::Window::ShowModal();
}

void PassDlg::Layout() {
    SetTitle("Untitled");
    SetWidth(260);
    SetHeight(120);
    SetMinimumSize(64, 64);
    SetMaximumSize(32000, 32000);
    SetResizable(false);
}

void PassDlg::CreateControls() {
    _CreateControls0();
}

void PassDlg::_CreateControls0() {
    EditField1 = AddControl<fw::TextField>("EditField1");
    EditField1->Place({.left = 30, .top = 40, .width = 200, .height = 22, .tab = 0});
    EditField1->SetTextFont(12);
    EditField1->SetPassword(true);

    PushButton1 = AddControl<fw::PushButton>("PushButton1");
    PushButton1->Place({.left = 72, .top = 80, .width = 82, .height = 20, .tab = 1});
    PushButton1->SetCaption("キャンセル");
    PushButton1->SetTextFont(12);
    PushButton1->SetCancel(true);
    PushButton1->Action = [this](fw::PushButton& b) { PushButton1_Action(b); };

    PushButton2 = AddControl<fw::PushButton>("PushButton2");
    PushButton2->Place({.left = 166, .top = 80, .width = 70, .height = 20, .tab = 2});
    PushButton2->SetCaption("入力");
    PushButton2->SetTextFont(12);
    PushButton2->SetDefault(true);
    PushButton2->Action = [this](fw::PushButton& b) { PushButton2_Action(b); };

    StaticText1 = AddControl<fw::Label>("StaticText1");
    StaticText1->Place({.left = 30, .top = 20, .width = 200, .height = 20, .tab = 3});
    StaticText1->SetText("パスワードを入力して下さい。");
    StaticText1->SetTextFont(12);
    StaticText1->SetAlignment(fw::Label::Align::Center);
}

void PassDlg::PushButton1_Action(fw::PushButton& /*button*/) {
    pReturn = false;
    Hide();
}

void PassDlg::PushButton2_Action(fw::PushButton& /*button*/) {
    pReturn = true;
    Hide();
}
