#include "FixedDialog.h"

namespace fw {

void FixedDialog::Layout() {
    SetTitle(frame_.title);
    SetWidth(frame_.width);
    SetHeight(frame_.height);
    SetMinimumSize(64, 64);
    SetMaximumSize(32000, 32000);
    SetResizable(false);
}

PushButton* FixedDialog::AddButton(const Button& button, Key key, std::function<void()> pressed) {
    auto* added = AddControl<PushButton>(button.name);
    added->Place(button.place);
    added->SetCaption(button.caption);
    added->SetTextFont(12);
    if (key == Key::Escape) added->SetCancel(true);
    if (key == Key::Return) added->SetDefault(true);
    added->Action = [pressed = std::move(pressed)](PushButton& /*b*/) { pressed(); };
    return added;
}

FixedDialog::AnswerButtons FixedDialog::AddAnswerButtons(
    const Button& decline, Key declineKey, const Button& accept,
    const std::function<void(bool accepted)>& answered) {
    auto answer = [this, answered](bool accepted) {
        return [this, answered, accepted] {
            answered(accepted);
            Hide();
        };
    };
    PushButton* declining = AddButton(decline, declineKey, answer(false));
    PushButton* accepting = AddButton(accept, Key::Return, answer(true));
    return {declining, accepting};
}

}  // namespace fw
