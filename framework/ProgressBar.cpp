#include "ProgressBar.h"

#include <QAbstractAnimation>
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
    QProgressBar* bar = Platform(*this);
    bar->setRange(0, maximum_);  // 0 to 0: the platform's busy indicator
    // The style animates the busy indicator with an animation of its own, made a child of the
    // bar, and stops it only when it paints some progress: a bar back at 0 of a measure would go
    // on repainting itself every frame, for as long as the program stays idle.
    if (maximum_ > 0)
        for (QAbstractAnimation* a :
             bar->findChildren<QAbstractAnimation*>(Qt::FindDirectChildrenOnly))
            delete a;
    SetValue(value_);
}

void ProgressBar::SetValue(int32_t value) {
    value_ = value;
    if (maximum_ > 0) Platform(*this)->setValue(std::clamp(value, 0, maximum_));
}

}  // namespace fw
