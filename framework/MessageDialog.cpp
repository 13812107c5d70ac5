#include "MessageDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "ModalHost.h"
#include "PlatformInternal.h"
#include "Window.h"

namespace fw {

namespace {

int g_beeps = 0;

QMessageBox::Icon PlatformIcon(int icon) {
    switch (icon) {
        case MessageDialog::kIconCaution:
            return QMessageBox::Warning;
        case MessageDialog::kIconStop:
            return QMessageBox::Critical;
        default:
            return QMessageBox::Information;
    }
}

}  // namespace

MessageDialog::MessageDialog() {
    ActionButton.Caption = "OK";
    ActionButton.Visible = true;
    CancelButton.Caption = "Cancel";
}

MessageDialogButton* MessageDialog::ShowModalWithin(Window* parent) {
    QMessageBox box(parent && !parent->IsClosed() ? parent->Widget()->window() : nullptr);
    box.setIcon(PlatformIcon(Icon));
    box.setWindowTitle(ToQString(Title));
    box.setText(ToQString(Message));
    if (!Explanation.empty()) box.setInformativeText(ToQString(Explanation));

    ModalPrompt prompt;
    prompt.kind = "message";
    prompt.title = Title;
    prompt.message = Message;
    prompt.explanation = Explanation;

    QPushButton* action = box.addButton(ToQString(ActionButton.Caption), QMessageBox::AcceptRole);
    box.setDefaultButton(action);
    prompt.buttons.push_back(ActionButton.Caption);
    QPushButton* cancel = nullptr;
    if (CancelButton.Visible) {
        cancel = box.addButton(ToQString(CancelButton.Caption), QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
        prompt.buttons.push_back(CancelButton.Caption);
    }
    QPushButton* alternate = nullptr;
    if (AlternateActionButton.Visible) {
        alternate =
            box.addButton(ToQString(AlternateActionButton.Caption), QMessageBox::DestructiveRole);
        prompt.buttons.push_back(AlternateActionButton.Caption);
    }

    ModalHost::Run(&box, prompt);
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == action) return &ActionButton;
    if (clicked && clicked == alternate) return &AlternateActionButton;
    return &CancelButton;
}

void MsgBox(const std::string& text) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(ToQString(text));
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    ModalPrompt prompt;
    prompt.kind = "msgbox";
    prompt.message = text;
    prompt.buttons = {"OK"};
    ModalHost::Run(&box, prompt);
}

void Beep() {
    ++g_beeps;
    QApplication::beep();
}

int BeepCount() {
    return g_beeps;
}

}  // namespace fw
