#include "sync/SyncListDlg.h"

SyncListDlg* SyncListDlg::Instance() {
    if (SyncListDlg* open = fw::Window::FindOpen<SyncListDlg>()) return open;
    auto* dialog = new SyncListDlg;
    dialog->SetVisibleOnOpen(false);  // the caller shows it, as a sheet
    dialog->Build();
    return dialog;
}

void SyncListDlg::Layout() {
    SetTitle("Untitled");
    SetWidth(474);
    SetHeight(310);
    SetMinimumSize(64, 64);
    SetMaximumSize(32000, 32000);
    SetResizable(false);
}

void SyncListDlg::CreateControls() {
    _CreateControls0();
}

void SyncListDlg::_CreateControls0() {
    Listbox1 = AddControl<fw::ListBox>("Listbox1");
    Listbox1->Place({.left = 10, .top = 40, .width = 454, .height = 210, .tab = 0});
    Listbox1->SetColumnCount(1);
    Listbox1->SetHasHeading(false);
    Listbox1->SetScrollBars(true, false);  // long paths are cut, not wrapped
    Listbox1->SetTextFont(12);

    PushButton1 = AddControl<fw::PushButton>("PushButton1");
    PushButton1->Place({.left = 253, .top = 270, .width = 94, .height = 20, .tab = 2});
    PushButton1->SetCaption("キャンセル");
    PushButton1->SetTextFont(12);
    PushButton1->SetCancel(true);
    PushButton1->Action = [this](fw::PushButton& b) { PushButton1_Action(b); };

    PushButton2 = AddControl<fw::PushButton>("PushButton2");
    PushButton2->Place({.left = 360, .top = 270, .width = 94, .height = 20, .tab = 3});
    PushButton2->SetCaption("実行");
    PushButton2->SetTextFont(12);
    PushButton2->SetDefault(true);
    PushButton2->Action = [this](fw::PushButton& b) { PushButton2_Action(b); };

    StaticText1 = AddControl<fw::Label>("StaticText1");
    StaticText1->Place({.left = 55, .top = 20, .width = 140, .height = 20, .tab = 4});
    StaticText1->SetText("アップロード対象");
    StaticText1->SetTextFont(14);
    StaticText1->SetUnderline(true);
    StaticText1->SetAlignment(fw::Label::Align::Center);
}

void SyncListDlg::PushButton1_Action(fw::PushButton& /*button*/) {
    pReturn = false;
    Hide();
}

void SyncListDlg::PushButton2_Action(fw::PushButton& /*button*/) {
    pReturn = true;
    Hide();
}
