#pragma once

#include "framework/FixedDialog.h"
#include "framework/Label.h"
#include "framework/ListBox.h"
#include "framework/PushButton.h"

// The confirmation of a sync phase: its work list, one row per entry, under the phase's heading,
// with "キャンセル" and "実行". It only shows the list; the caller decides what a refusal means.
// Shown as a sheet of the main window and closed after each use.
class SyncListDlg : public fw::FixedDialog {
public:
    // The dialog, shown or hidden, or a new one.
    static SyncListDlg* Instance();

    // True when the dialog was left with "実行", false when with "キャンセル" or any other way.
    bool pReturn = false;

    // Its controls, owned by the window.
    fw::ListBox* Listbox1 = nullptr;
    fw::PushButton* PushButton1 = nullptr;
    fw::PushButton* PushButton2 = nullptr;
    fw::Label* StaticText1 = nullptr;

    void CreateControls() override;

private:
    SyncListDlg()
        : fw::FixedDialog(Kind::ModalDialog, {.title = "Untitled", .width = 474, .height = 310}) {}
    void _CreateControls0();
};
