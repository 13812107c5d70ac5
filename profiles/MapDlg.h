#pragma once

#include "framework/FixedDialog.h"
#include "framework/ListBox.h"
#include "framework/PushButton.h"

// The file-type list: the extensions and their transfer types in a two-column list, and "閉じる".
// It only shows the table; the program does not wait for it.
class MapDlg : public fw::FixedDialog {
public:
    // The open file-type list, or a new one, shown at once with an empty list.
    static MapDlg* Instance();

    // Its controls, owned by the window.
    fw::ListBox* localListBox = nullptr;
    fw::PushButton* PushButton1 = nullptr;

    void CreateControls() override;

private:
    MapDlg()
        : fw::FixedDialog(Kind::ModelessDialog,
                          {.title = "Untitled", .width = 300, .height = 300}) {}
    void _CreateControls0();
};
