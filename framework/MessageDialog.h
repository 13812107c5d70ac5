#pragma once

#include <string>

namespace fw {

class Window;

struct MessageDialogButton {
    std::string Caption;
    bool Visible = false;
};

// A modal message with up to three buttons. The action button is the default (Return); the cancel
// button answers Escape and the close box, which do nothing when it is not shown.
class MessageDialog {
public:
    enum Icon { kIconNote = 0, kIconCaution = 1, kIconStop = 2 };

    MessageDialog();

    MessageDialogButton ActionButton;
    MessageDialogButton CancelButton;
    MessageDialogButton AlternateActionButton;
    int Icon = kIconNote;
    std::string Title;
    std::string Message;
    std::string Explanation;

    // Shows the dialog within parent (may be null) and answers the button pressed.
    MessageDialogButton* ShowModalWithin(Window* parent);
    MessageDialogButton* ShowModal() { return ShowModalWithin(nullptr); }
};

// The plain message box: the text and one OK button.
void MsgBox(const std::string& text);

// The system beep; tests read how often it sounded.
void Beep();
int BeepCount();

}  // namespace fw
