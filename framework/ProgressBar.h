#pragma once

#include <cstdint>

#include "Control.h"

namespace fw {

// A progress bar from 0 to Maximum; with a Maximum of 0 it shows that work is going on without a
// measure (busy).
class ProgressBar : public Control {
public:
    ProgressBar(Window& window, std::string name);

    int32_t Maximum() const { return maximum_; }
    void SetMaximum(int32_t maximum);
    // The value as set; the bar shows it within 0 to Maximum.
    int32_t Value() const { return value_; }
    void SetValue(int32_t value);

private:
    int32_t maximum_ = 100;
    int32_t value_ = 0;
};

}  // namespace fw
