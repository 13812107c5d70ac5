#include "ModalHost.h"

#include <QAbstractButton>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <deque>

#include "Application.h"
#include "PlatformInternal.h"

namespace fw {

namespace {

struct ScriptState {
    bool scripted = false;
    std::deque<ModalHost::Step> steps;
    std::vector<ModalPrompt> shown;
    std::vector<ModalPrompt> unexpected;
    std::function<void(const ModalPrompt&)> onUnexpected;
    std::vector<QDialog*> running;  // innermost last
};

ScriptState& State() {
    static ScriptState state;
    return state;
}

QString WithoutMnemonic(QString text) {
    return text.remove('&');
}

bool PressButton(QDialog* dialog, const std::string& caption) {
    QString wanted = ToQString(caption);
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) {
        if (b->isVisible() && b->isEnabled() && WithoutMnemonic(b->text()) == wanted) {
            b->click();
            return true;
        }
    }
    return false;
}

// A step that does not fit the dialog it answers: recorded like a dialog nobody expected, and the
// dialog is cancelled so that the test goes on.
void RejectAsUnexpected(QDialog* dialog, const ModalPrompt& prompt, const std::string& why) {
    ModalPrompt mismatch = prompt;
    mismatch.message = why + " in: " + prompt.message;
    State().unexpected.push_back(mismatch);
    if (State().onUnexpected) State().onUnexpected(mismatch);
    dialog->reject();
}

// The script's choice is final. The file dialog's own questions (replace the file? no such
// folder?) would be modal boxes outside the host that nothing answers, so the choice is checked
// here instead.
void ChooseFile(QFileDialog* files, const std::string& path, const ModalPrompt& prompt) {
    QString chosen = ToQString(path);
    // The program's folder paths end in "/"; the dialog would take what follows it as a name.
    while (chosen.size() > 1 && chosen.endsWith('/')) chosen.chop(1);
    bool wantsFolder = files->fileMode() == QFileDialog::Directory;
    if (QFileInfo(chosen).isDir() != wantsFolder) {
        RejectAsUnexpected(
            files, prompt,
            (wantsFolder ? "no folder \"" : "a folder, not a file: \"") + path + "\"");
        return;
    }
    files->setOption(QFileDialog::DontConfirmOverwrite, true);
    files->selectFile(chosen);
    static_cast<QDialog*>(files)->accept();  // QFileDialog::accept, public through QDialog
    if (files->isVisible()) RejectAsUnexpected(files, prompt, "cannot choose \"" + path + "\"");
}

// Types as the user would: the field must be there, shown, enabled and editable; the text
// replaces what it holds and goes through the field's own filters.
bool TypeInto(QDialog* dialog, const ModalAnswer::Typing& typing) {
    QWidget* target = dialog->findChild<QWidget*>(ToQString(typing.control));
    if (!target || !target->isVisible() || !target->isEnabled()) return false;
    if (auto* field = qobject_cast<QLineEdit*>(target)) {
        if (field->isReadOnly()) return false;
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
        field->insert(ToQString(typing.text));
        return true;
    }
    if (auto* area = qobject_cast<QPlainTextEdit*>(target)) {
        if (area->isReadOnly()) return false;
        area->setFocus(Qt::OtherFocusReason);
        area->selectAll();
        area->insertPlainText(ToQString(typing.text));
        return true;
    }
    return false;
}

void Apply(QDialog* dialog, const ModalAnswer& answer, const ModalPrompt& prompt) {
    for (const ModalAnswer::Typing& typing : answer.typed) {
        if (!TypeInto(dialog, typing)) {
            RejectAsUnexpected(dialog, prompt,
                               "no text field \"" + typing.control + "\" to type into");
            return;
        }
    }
    switch (answer.action) {
        case ModalAnswer::Action::Press:
            if (!PressButton(dialog, answer.text))
                RejectAsUnexpected(dialog, prompt, "no button \"" + answer.text + "\"");
            return;
        case ModalAnswer::Action::Choose:
            if (auto* files = qobject_cast<QFileDialog*>(dialog))
                ChooseFile(files, answer.text, prompt);
            else
                RejectAsUnexpected(dialog, prompt,
                                   "nothing to choose \"" + answer.text + "\" from");
            return;
        case ModalAnswer::Action::Custom:
            if (answer.custom) answer.custom(dialog);
            return;
        case ModalAnswer::Action::Cancel:
            dialog->reject();
            return;
    }
}

}  // namespace

int ModalHost::Run(QDialog* dialog, const ModalPrompt& prompt) {
    // Nobody is asked anything once the program has quit.
    if (Application::Instance() && Application::Instance()->HasQuit()) return QDialog::Rejected;
    ScriptState& s = State();
    s.shown.push_back(prompt);
    if (s.scripted) {
        if (s.steps.empty()) {
            s.unexpected.push_back(prompt);
            if (s.onUnexpected) s.onUnexpected(prompt);
            QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
        } else {
            Step step = std::move(s.steps.front());
            s.steps.pop_front();
            QTimer::singleShot(0, dialog,
                               [dialog, step, prompt] { Apply(dialog, step(prompt), prompt); });
        }
    }
    // A handler that hides the dialog and then gives way (runs the event loop itself) takes the
    // wake-up that ends the modal loop; the loop would then sleep until some other event came.
    // This timer is such an event.
    QTimer wake;
    wake.start(50);
    s.running.push_back(dialog);
    int result = dialog->exec();
    s.running.pop_back();
    return result;
}

bool ModalHost::Active() {
    return !State().running.empty();
}

void ModalHost::EndAll() {
    const std::vector<QDialog*> running = State().running;
    for (auto it = running.rbegin(); it != running.rend(); ++it) (*it)->reject();
}

void ModalHost::BeginScript() {
    ScriptState& s = State();
    s.scripted = true;
    s.steps.clear();
    s.shown.clear();
    s.unexpected.clear();
}

void ModalHost::ExpectStep(Step step) {
    State().steps.push_back(std::move(step));
}

void ModalHost::Expect(ModalAnswer answer) {
    ExpectStep([answer](const ModalPrompt&) { return answer; });
}

const std::vector<ModalPrompt>& ModalHost::Shown() {
    return State().shown;
}
std::vector<ModalPrompt> ModalHost::Unexpected() {
    return State().unexpected;
}
size_t ModalHost::PendingSteps() {
    return State().steps.size();
}

void ModalHost::EndScript() {
    ScriptState& s = State();
    s.scripted = false;
    s.steps.clear();
}

bool ModalHost::Scripted() {
    return State().scripted;
}

void ModalHost::SetUnexpectedHandler(std::function<void(const ModalPrompt&)> handler) {
    State().onUnexpected = std::move(handler);
}

}  // namespace fw
