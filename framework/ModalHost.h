#pragma once

#include <functional>
#include <string>
#include <vector>

class QDialog;

namespace fw {

// What a modal thing showed, as recorded by the modal host.
struct ModalPrompt {
    std::string kind;  // "message" (message dialog), "window" (a modal window), "save", "folder"
    std::string title;
    std::string message;
    std::string explanation;
    std::vector<std::string> buttons;  // captions of the visible buttons
    std::string suggestedName;         // save dialog: the proposed file name
};

// One answer of a test script, applied from inside the modal loop to the real widgets.
struct ModalAnswer {
    enum class Action { Press, Cancel, Choose, Custom };
    // A text typed into a window's text field (or text area), found by the control's name.
    struct Typing {
        std::string control;
        std::string text;
    };

    ModalAnswer() = default;
    ModalAnswer(Action action, std::string text = {}, std::function<void(QDialog*)> custom = {})
        : action(action), text(std::move(text)), custom(std::move(custom)) {}

    Action action = Action::Cancel;
    std::string text;  // Press: the button caption; Choose: the path to pick
    std::function<void(QDialog*)> custom;
    std::vector<Typing> typed;  // typed in this order before the action

    static ModalAnswer Press(std::string caption) { return {Action::Press, std::move(caption)}; }
    // Ends the dialog as its cancel button does (a window's marked cancel button is pressed);
    // one without such a button is simply ended.
    static ModalAnswer Cancel() { return {Action::Cancel}; }
    static ModalAnswer Choose(std::string path) { return {Action::Choose, std::move(path)}; }
    // The same answer, after typing text into the field named control (replacing its text, as
    // a user who selects all and types): ModalAnswer::Press("OK").WithText("EditField1", "x").
    ModalAnswer WithText(std::string control, std::string typedText) const {
        ModalAnswer answer = *this;
        answer.typed.push_back({std::move(control), std::move(typedText)});
        return answer;
    }
};

// Every modal dialog, modal window, save dialog and folder chooser runs through here, in a real
// nested event loop; none once the application has quit. Without a script the user answers; with a
// script each modal thing is answered by the next step, and one that finds no step left is recorded
// as unexpected and cancelled, so a test fails instead of hanging.
class ModalHost {
public:
    // Runs dialog modally; answers QDialog's result code.
    static int Run(QDialog* dialog, const ModalPrompt& prompt);
    static bool Active();  // a modal thing is up
    // Ends every modal thing that is up, as if cancelled: the program has quit, with no event loop
    // of its own whose end would end theirs.
    static void EndAll();

    // Test scripting.
    using Step = std::function<ModalAnswer(const ModalPrompt&)>;
    static void BeginScript();
    static void ExpectStep(Step step);
    static void Expect(ModalAnswer answer);  // answers the next modal thing, whatever it shows
    static const std::vector<ModalPrompt>& Shown();
    static std::vector<ModalPrompt> Unexpected();
    static size_t PendingSteps();
    static void EndScript();
    static bool Scripted();
    // Called for a modal thing that found no step left (tests fail the test here).
    static void SetUnexpectedHandler(std::function<void(const ModalPrompt&)> handler);
};

}  // namespace fw
