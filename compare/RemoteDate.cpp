#include "compare/RemoteDate.h"

#include <algorithm>
#include <cstdio>

#include "compare/ListingLine.h"
#include "framework/Strings.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int64_t& m, int64_t& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp + (mp < 10 ? 3 : -9);
    y = yoe + era * 400 + (m <= 2);
}

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

std::string TwoDigits(int64_t v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02lld", static_cast<long long>(v));
    return buffer;
}

// The text trimmed, with each pair of blanks made one in a single left-to-right pass.
std::string Normalised(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(' ');
    return fw::ReplaceAll(text.substr(first, last - first + 1), "  ", " ");
}

}  // namespace

int64_t ZoneHours(const std::string& text) {
    // Far beyond any zone; keeps the arithmetic below clear of overflow.
    return std::clamp<int64_t>(fw::Val(text), -1000000, 1000000);
}

std::string FormatRemoteDate(const std::string& dateText, int64_t zoneHours, int32_t currentYear,
                             int32_t currentMonth) {
    const std::string s = Normalised(dateText);
    const std::string dayField = fw::NthField(s, " ", 2);
    const std::string third = fw::NthField(s, " ", 3);
    int64_t month = MonthNumber(fw::NthField(s, " ", 1));
    // Clamped far beyond any real date, so that odd text cannot overflow the arithmetic.
    int64_t day = std::clamp<int64_t>(fw::Val(dayField), -10000000, 10000000);
    int64_t year = std::clamp<int64_t>(fw::Val(third), -10000000, 10000000);
    int64_t hour = 23;
    int64_t minute = 59;
    if (size_t colon = third.find(':'); colon != std::string::npos) {
        year = currentYear - (currentMonth < month ? 1 : 0);
        hour = std::clamp<int64_t>(fw::Val(third.substr(0, colon)), -10000000, 10000000);
        minute = fw::Val(third.substr(colon + 1));
    }
    hour += std::clamp<int64_t>(zoneHours, -1000000, 1000000);
    const int64_t dayShift = FloorDiv(hour, 24);
    hour -= dayShift * 24;
    if (dayShift != 0 && month >= 1 && month <= 12) {
        int64_t days = DaysFromCivil(year, month, 1) + (day - 1) + dayShift;
        CivilFromDays(days, year, month, day);
    }
    return std::to_string(year) + "/" + TwoDigits(month) + "/" + TwoDigits(day) + " " +
           TwoDigits(hour) + ":" + TwoDigits(minute);
}
