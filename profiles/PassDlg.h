#pragma once

#include "framework/FixedDialog.h"
#include "framework/Label.h"
#include "framework/PushButton.h"
#include "framework/TextField.h"

// The password prompt: a masked field and the buttons "キャンセル" and "入力". Whoever shows it
// reads pReturn and EditField1's text after ShowModal returns, and closes it when it takes the
// password; otherwise the hidden dialog keeps its text for the next prompt.
class PassDlg : public fw::FixedDialog {
public:
    // The password dialog, shown or hidden, or a new one.
    static PassDlg* Instance();

    // True when the dialog was left with "入力", false when with "キャンセル" or any other way.
    bool pReturn = false;

    // Its controls, owned by the window.
    fw::TextField* EditField1 = nullptr;
    fw::PushButton* PushButton1 = nullptr;
    fw::PushButton* PushButton2 = nullptr;
    fw::Label* StaticText1 = nullptr;

    // Application-modal; each showing starts unanswered, so that a close by any other way than
    // the two buttons answers "キャンセル".
    void ShowModal() override;

    void CreateControls() override;

private:
    PassDlg()
        : fw::FixedDialog(Kind::ModalDialog, {.title = "Untitled", .width = 260, .height = 120}) {}
    void _CreateControls0();
};
