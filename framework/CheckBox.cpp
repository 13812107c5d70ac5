#include "CheckBox.h"

#include <QCheckBox>

#include "PlatformInternal.h"

namespace fw {

namespace {

QCheckBox* Platform(const CheckBox& c) {
    return static_cast<QCheckBox*>(c.Widget());
}

}  // namespace

CheckBox::CheckBox(Window& window, std::string name)
    : Control(window, std::move(name), new QCheckBox) {
    SetTextFont(10);
    // One path for clicks, the keyboard and SetValue: the platform reports each real change once.
    QObject::connect(Platform(*this), &QCheckBox::toggled, Platform(*this), [this](bool checked) {
        value_ = checked;
        Deliver([this] {
            if (Action) Action(*this);
        });
    });
}

void CheckBox::SetCaption(const std::string& caption) {
    Platform(*this)->setText(ToQString(caption));
}

std::string CheckBox::Caption() const {
    return FromQString(Platform(*this)->text());
}

void CheckBox::SetValue(bool value) {
    Platform(*this)->setChecked(value);
}

}  // namespace fw
