#include "RadioButton.h"

#include <QRadioButton>

#include "PlatformInternal.h"

namespace fw {

namespace {

QRadioButton* Platform(const RadioButton& r) {
    return static_cast<QRadioButton*>(r.Widget());
}

}  // namespace

// The platform groups the radio buttons that share a parent widget, which is exactly the
// container (or the page) they are placed in.
RadioButton::RadioButton(Window& window, std::string name)
    : Control(window, std::move(name), new QRadioButton) {
    SetTextFont(10);
    QObject::connect(Platform(*this), &QRadioButton::toggled, Platform(*this), [this](bool on) {
        if (!on) return;
        Deliver([this] {
            if (Action) Action(*this);
        });
    });
}

void RadioButton::SetCaption(const std::string& caption) {
    Platform(*this)->setText(ToQString(caption));
}

std::string RadioButton::Caption() const {
    return FromQString(Platform(*this)->text());
}

bool RadioButton::Value() const {
    return Platform(*this)->isChecked();
}

void RadioButton::SetValue(bool value) {
    QRadioButton* button = Platform(*this);
    if (value) {
        button->setChecked(true);
        return;
    }
    // The platform keeps one button of a group selected; the program may clear it.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

}  // namespace fw
