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
    Action action = Action::Cancel;
    std::string text;  // Press: the button caption; Choose: the path to pick
    std::function<void(QDialog*)> custom;

    static ModalAnswer Press(std::string caption) {
        return {Action::Press, std::move(caption), {}};
    }
    static ModalAnswer Cancel() { return {Action::Cancel, {}, {}}; }
    static ModalAnswer Choose(std::string path) { return {Action::Choose, std::move(path), {}}; }
};

// Every modal dialog, modal window, save dialog and folder chooser runs through here, in a real
// nested event loop. Without a script the user answers; with a script each modal thing is answered
// by the next step, and one that finds no step left is recorded as unexpected and cancelled, so a
// test fails instead of hanging.
class ModalHost {
public:
    // Runs dialog modally; answers QDialog's result code.
    static int Run(QDialog* dialog, const ModalPrompt& prompt);
    static bool Active();  // a modal thing is up

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
