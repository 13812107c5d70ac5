#pragma once

#include "framework/ListBox.h"
#include "framework/PushButton.h"
#include "framework/Window.h"

// The file-type list: the extensions and their transfer types in a two-column list, and "閉じる".
// It only shows the table; the program does not wait for it.
class MapDlg : public fw::Window {
public:
    // The open file-type list, or a new one, shown at once with an empty list.
    static MapDlg* Instance();

    // Its controls, owned by the window.
    fw::ListBox* localListBox = nullptr;
    fw::PushButton* PushButton1 = nullptr;

    void Layout() override;
    void CreateControls() override;
    void PushButton1_Action(fw::PushButton& button);

private:
    MapDlg() : fw::Window(Kind::ModelessDialog) {}
    void _CreateControls0();
};
