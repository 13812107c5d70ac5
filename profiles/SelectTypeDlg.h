#pragma once

#include <string>

#include "framework/Canvas.h"
#include "framework/FixedDialog.h"
#include "framework/Label.h"
#include "framework/PushButton.h"
#include "framework/RadioButton.h"

namespace fw {
class Graphics;
}

// The question for a file whose extension the file-type table lacks: text ("Ascii") or binary
// ("Binary")? A new dialog for each question, titled with the file's name; the answer serves
// that one file.
class SelectTypeDlg : public fw::FixedDialog {
public:
    // A new question, not shown yet.
    static SelectTypeDlg* New();

    // "A" ("実行" with "Ascii"), "I" ("実行" with "Binary"), "C" ("キャンセル"); empty while no
    // button has been pressed.
    std::string pRetString;

    // Its controls, owned by the window.
    fw::Label* StaticText1 = nullptr;
    fw::Label* StaticText2 = nullptr;
    fw::Canvas* Canvas1 = nullptr;
    fw::PushButton* PushButton1 = nullptr;
    fw::PushButton* PushButton2 = nullptr;
    fw::RadioButton* RadioButton1 = nullptr;
    fw::RadioButton* RadioButton2 = nullptr;

    void CreateControls() override;
    void Canvas1_Paint(fw::Canvas& canvas, fw::Graphics& g);

private:
    SelectTypeDlg()
        : fw::FixedDialog(Kind::ModalDialog, {.title = "", .width = 474, .height = 144}) {}
    void _CreateControls0();
};
