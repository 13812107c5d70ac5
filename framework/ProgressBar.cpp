#include "ProgressBar.h"

#include <QProgressBar>
#include <algorithm>

namespace fw {

namespace {

QProgressBar* Platform(const ProgressBar& p) {
    return static_cast<QProgressBar*>(p.Widget());
}

}  // namespace

ProgressBar::ProgressBar(Window& window, std::string name)
    : Control(window, std::move(name), new QProgressBar) {
    QProgressBar* bar = Platform(*this);
    bar->setTextVisible(false);
    bar->setRange(0, maximum_);
    bar->setValue(value_);
}

void ProgressBar::SetMaximum(int32_t maximum) {
    maximum_ = std::max(0, maximum);
    Platform(*this)->setRange(0, maximum_);  // 0 to 0: the platform's busy indicator
    SetValue(value_);
}

void ProgressBar::SetValue(int32_t value) {
    value_ = value;
    if (maximum_ > 0) Platform(*this)->setValue(std::clamp(value, 0, maximum_));
}

}  // namespace fw
