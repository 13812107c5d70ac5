#include "profiles/MapDlg.h"

MapDlg* MapDlg::Instance() {
    return FindOrBuild<MapDlg>([] { return new MapDlg; }, ShownBy::Building);
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

    PushButton1 = AddButton(
        {"PushButton1", {.left = 206, .top = 260, .width = 70, .height = 20, .tab = 1}, "閉じる"},
        Key::Return, [this] { Close(); });
}
