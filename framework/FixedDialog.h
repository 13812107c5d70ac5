#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "Control.h"
#include "PushButton.h"
#include "Window.h"

namespace fw {

// A dialog of one fixed size, as the program's own dialogs are: built with its title and size,
// not resizable, its controls laid out once. It answers through a pair of push buttons, one that
// declines and one that accepts, each of which hides it (its caller reads the answer and closes
// it), or through buttons of its own.
class FixedDialog : public Window {
public:
    // The title and the size of the content area it is built with.
    struct Frame {
        std::string title;
        int32_t width = 0;
        int32_t height = 0;
    };

    void Layout() override;

protected:
    FixedDialog(Kind kind, Frame frame) : Window(kind), frame_(std::move(frame)) {}

    // Who shows a dialog once it is built: its caller (modally, or as a sheet), or the building.
    enum class ShownBy { Caller, Building };

    // A new dialog, built.
    template <class T>
    static T* Built(T* dialog, ShownBy shownBy) {
        dialog->SetVisibleOnOpen(shownBy == ShownBy::Building);
        dialog->Build();
        return dialog;
    }
    // The open dialog of class T, shown or hidden, or a new one from make, built.
    template <class T, class Make>
    static T* FindOrBuild(Make make, ShownBy shownBy) {
        if (T* open = FindOpen<T>()) return open;
        return Built<T>(make(), shownBy);
    }

    // A push button: its name, its place and its caption, in the dialogs' 12-point text.
    struct Button {
        std::string name;
        ControlPlacement place;
        std::string caption;
    };
    // The key that presses a button besides a click: Return for the default button, Escape (and
    // the close box) for the cancel button.
    enum class Key { None, Return, Escape };
    PushButton* AddButton(const Button& button, Key key, std::function<void()> pressed);

    // The declining button, then the accepting one, which Return presses; declineKey is Escape
    // when Escape and the close box decline too. A press gives answered true for the accepting
    // button and false for the declining one, then hides the dialog.
    struct AnswerButtons {
        PushButton* decline;
        PushButton* accept;
    };
    AnswerButtons AddAnswerButtons(const Button& decline, Key declineKey, const Button& accept,
                                   const std::function<void(bool accepted)>& answered);

private:
    Frame frame_;
};

}  // namespace fw
