#pragma once

// How well one colour reads on another, measured as the readers' guidelines for the web do: the
// ratio of the two relative luminances, each lifted by 0.05, from 1 (no contrast) to 21.

#include <QColor>
#include <algorithm>
#include <cmath>

namespace contrasttest {

inline double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

inline double Luminance(const QColor& c) {
    return 0.2126 * Linear(c.red()) + 0.7152 * Linear(c.green()) + 0.0722 * Linear(c.blue());
}

inline double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

inline constexpr double kReadable = 4.5;  // the least for body text

}  // namespace contrasttest
