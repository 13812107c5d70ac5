#include "profiles/MapDlg.h"

MapDlg* MapDlg::Instance() {
    if (MapDlg* open = fw::Window::FindOpen<MapDlg>()) return open;
    auto* dialog = new MapDlg;
    dialog->Build();  // shown as it opens
    return dialog;
}

void MapDlg::Layout() {
    SetTitle("Untitled");
    SetWidth(300);
    SetHeight(300);
    SetMinimumSize(64, 64);
    SetMaximumSize(32000, 32000);
    SetResizable(false);
}

void MapDlg::CreateControls() {
    _CreateControls0();
}

void MapDlg::_CreateControls0() {
    localListBox = AddControl<fw::ListBox>("localListBox");
    localListBox->Place({.left = 10, .top = 10, .width = 280, .height = 240, .tab = 0});
    localListBox->SetTextFont(12);
    localListBox->SetColumnCount(2);
    localListBox->SetColumnWidths("50%,50%");
    localListBox->SetHasHeading(true);
    localListBox->SetHeading(0, "拡張子");
    localListBox->SetHeading(1, "タイプ");
    localListBox->SetScrollBars(true, false);

    PushButton1 = AddControl<fw::PushButton>("PushButton1");
    PushButton1->Place({.left = 206, .top = 260, .width = 70, .height = 20, .tab = 1});
    PushButton1->SetCaption("閉じる");
    PushButton1->SetTextFont(12);
    PushButton1->SetDefault(true);
    PushButton1->Action = [this](fw::PushButton& b) { PushButton1_Action(b); };
}

void MapDlg::PushButton1_Action(fw::PushButton& /*button*/) {
    Close();
}
