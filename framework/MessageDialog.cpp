#include "MessageDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include "ModalHost.h"
#include "PlatformInternal.h"
#include "Strings.h"
#include "Window.h"

namespace fw {

namespace {

int g_beeps = 0;

// Return answers the default button and Escape the cancel button, and nothing else answers
// either key: no button becomes the default by taking the focus, and a box without a cancel
// button stays up on Escape and on a close by the window manager.
class MessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

    QPushButton* Add(const std::string& caption, ButtonRole role) {
        QPushButton* button = addButton(ToQString(caption), role);
        button->setAutoDefault(false);
        return button;
    }
    void SetCancel(QPushButton* button) {
        cancel_ = button;
        setEscapeButton(button);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape && (e->modifiers() & ~Qt::KeypadModifier) == 0) {
            if (cancel_) cancel_->click();
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        if (cancel_) cancel_->click();
    }

private:
    QPushButton* cancel_ = nullptr;
};

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

// A message is a few lines; one that quotes a server's reply of megabytes shows its beginning,
// since laying it all out would stop the window for seconds and no one could read it.
constexpr size_t kShownMessageBytes = 4096;

}  // namespace

MessageDialog::MessageDialog() {
    ActionButton.Caption = "OK";
    ActionButton.Visible = true;
    CancelButton.Caption = "Cancel";
}

MessageDialogButton* MessageDialog::ShowModalWithin(Window* parent) {
    MessageBox box(parent && !parent->IsClosed() ? parent->Widget()->window() : nullptr);
    box.setIcon(PlatformIcon(Icon));
    box.setWindowTitle(ToQString(Title));
    ModalPrompt prompt;
    prompt.kind = "message";
    prompt.title = Title;
    prompt.message = ShownText(Message, kShownMessageBytes);
    prompt.explanation = ShownText(Explanation, kShownMessageBytes);
    box.setText(ToQString(prompt.message));
    if (!prompt.explanation.empty()) box.setInformativeText(ToQString(prompt.explanation));

    QPushButton* action = box.Add(ActionButton.Caption, QMessageBox::AcceptRole);
    box.setDefaultButton(action);
    prompt.buttons.push_back(ActionButton.Caption);
    if (CancelButton.Visible) {
        box.SetCancel(box.Add(CancelButton.Caption, QMessageBox::RejectRole));
        prompt.buttons.push_back(CancelButton.Caption);
    }
    QPushButton* alternate = nullptr;
    if (AlternateActionButton.Visible) {
        alternate = box.Add(AlternateActionButton.Caption, QMessageBox::DestructiveRole);
        prompt.buttons.push_back(AlternateActionButton.Caption);
    }

    ModalHost::Run(&box, prompt);
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == action) return &ActionButton;
    if (clicked && clicked == alternate) return &AlternateActionButton;
    return &CancelButton;
}

void MsgBox(const std::string& text) {
    MessageBox box(QApplication::activeWindow());
    ModalPrompt prompt;
    prompt.kind = "msgbox";
    prompt.message = ShownText(text, kShownMessageBytes);
    box.setText(ToQString(prompt.message));
    box.setDefaultButton(box.Add("OK", QMessageBox::AcceptRole));
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
