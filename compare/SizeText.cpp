#include "compare/SizeText.h"

namespace {

// value / divisor with one decimal, rounded half up, in exact integer arithmetic so that a
// quotient like 976.5625 never lands on the wrong side of a rounding step.
std::string OneDecimal(int64_t value, int64_t divisor) {
    unsigned __int128 tenths =
        (static_cast<unsigned __int128>(value) * 20 + static_cast<unsigned __int128>(divisor)) /
        (static_cast<unsigned __int128>(divisor) * 2);
    unsigned __int128 whole = tenths / 10;
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(whole % 10)));
        whole /= 10;
    } while (whole != 0);
    return digits + "." + static_cast<char>('0' + static_cast<int>(tenths % 10));
}

}  // namespace

std::string SizeText(int64_t bytes) {
    if (bytes <= 1000) return std::to_string(bytes) + " bytes";
    if (bytes <= 1000000) return OneDecimal(bytes, 1024) + " KB";
    return OneDecimal(bytes, 1048576) + " MB";
}
