#pragma once

#include <cctype>
#include <string>

namespace testsupport {

// A test name from a case's description: "a month name in the file" gives "AMonthNameInTheFile".
// Only ASCII letters and digits stay, so the name is the same in every run.
inline std::string CaseName(const std::string& description) {
    std::string name;
    bool upper = true;
    for (unsigned char ch : description) {
        if (std::isalnum(ch) && ch < 0x80) {
            name += upper ? static_cast<char>(std::toupper(ch)) : static_cast<char>(ch);
            upper = false;
        } else {
            upper = true;
        }
    }
    return name.empty() ? "Unnamed" : name;
}

}  // namespace testsupport
