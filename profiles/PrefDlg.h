#pragma once

#include "framework/CheckBox.h"
#include "framework/FixedDialog.h"
#include "framework/PushButton.h"

// The preferences: five check boxes and the buttons "キャンセル" and "保存". Whoever shows it fills
// the boxes, reads pReturn and the boxes after ShowModal returns, and closes it.
class PrefDlg : public fw::FixedDialog {
public:
    // The preferences dialog, shown or hidden, or a new one.
    static PrefDlg* Instance();

    // True when the dialog was left with "保存", false when with "キャンセル".
    bool pReturn = false;

    // Its controls, owned by the window, in the order of their creation.
    fw::PushButton* PushButton1 = nullptr;
    fw::PushButton* PushButton2 = nullptr;
    fw::CheckBox* CheckBox5 = nullptr;  // the profile panel's help tags
    fw::CheckBox* CheckBox4 = nullptr;  // confirm before a sync phase
    fw::CheckBox* CheckBox3 = nullptr;  // beep before a message
    fw::CheckBox* CheckBox2 = nullptr;  // keep the window's position and size
    fw::CheckBox* CheckBox1 = nullptr;  // connect on selecting a profile

    void CreateControls() override;

private:
    PrefDlg()
        : fw::FixedDialog(Kind::ModalDialog, {.title = "Untitled", .width = 440, .height = 260}) {}
    void _CreateControls0();
};
