#include "sync/SyncListDlg.h"

SyncListDlg* SyncListDlg::Instance() {
    return FindOrBuild<SyncListDlg>([] { return new SyncListDlg; }, ShownBy::Caller);  // a sheet
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

    const AnswerButtons buttons = AddAnswerButtons(
        {"PushButton1",
         {.left = 253, .top = 270, .width = 94, .height = 20, .tab = 2},
         "キャンセル"},
        Key::Escape,
        {"PushButton2", {.left = 360, .top = 270, .width = 94, .height = 20, .tab = 3}, "実行"},
        [this](bool accepted) { pReturn = accepted; });
    PushButton1 = buttons.decline;
    PushButton2 = buttons.accept;

    StaticText1 = AddControl<fw::Label>("StaticText1");
    StaticText1->Place({.left = 55, .top = 20, .width = 140, .height = 20, .tab = 4});
    StaticText1->SetText("アップロード対象");
    StaticText1->SetTextFont(14);
    StaticText1->SetUnderline(true);
    StaticText1->SetAlignment(fw::Label::Align::Center);
}
