#include "PushButton.h"

#include <QPushButton>

#include "PlatformInternal.h"

namespace fw {

namespace {

QPushButton* Platform(const PushButton& b) {
    return static_cast<QPushButton*>(b.Widget());
}

}  // namespace

// Which button answers Return and Escape is the window's business (see Window): no button
// becomes the default by taking the focus.
PushButton::PushButton(Window& window, std::string name)
    : Control(window, std::move(name), new QPushButton) {
    QPushButton* button = Platform(*this);
    button->setAutoDefault(false);
    SetTextFont(12);
    QObject::connect(button, &QPushButton::clicked, button, [this] {
        Deliver([this] {
            if (Action) Action(*this);
        });
    });
}

void PushButton::SetCaption(const std::string& caption) {
    Platform(*this)->setText(ToQString(caption));
}

std::string PushButton::Caption() const {
    return FromQString(Platform(*this)->text());
}

void PushButton::SetDefault(bool isDefault) {
    default_ = isDefault;
    Platform(*this)->setDefault(isDefault);  // drawn as the default button
}

void PushButton::SetCancel(bool isCancel) {
    cancel_ = isCancel;
}

void PushButton::Push() {
    Platform(*this)->click();  // nothing happens while it is disabled
}

}  // namespace fw
