#include "Date.h"

#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdio>

namespace fw {

namespace {

std::optional<int64_t>& FixedNow() {
    static std::optional<int64_t> fixed;
    return fixed;
}

// Now in seconds since the epoch, with the fraction of the current second.
double NowSeconds() {
    if (FixedNow()) return static_cast<double>(*FixedNow());
    auto since = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration<double>(since).count();
}

}  // namespace

Date::Date() {
    double now = NowSeconds();
    double whole = std::floor(now);
    SetFromUnix(static_cast<int64_t>(whole));
    fraction_ = now - whole;
}

Date Date::FromUnixSeconds(int64_t seconds) {
    Date d;
    d.SetFromUnix(seconds);
    d.fraction_ = 0;
    return d;
}

void Date::SetFromUnix(int64_t seconds) {
    unix_ = seconds;
    time_t t = static_cast<time_t>(seconds);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) {
        year_ = month_ = day_ = hour_ = minute_ = second_ = 0;
        return;
    }
    year_ = local.tm_year + 1900;
    month_ = local.tm_mon + 1;
    day_ = local.tm_mday;
    hour_ = local.tm_hour;
    minute_ = local.tm_min;
    second_ = local.tm_sec;
}

double Date::SecondsUntilNow() const {
    return NowSeconds() - (static_cast<double>(unix_) + fraction_);
}

std::string Date::AbbreviatedDate() const {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", year_, month_, day_);
    return buffer;
}

std::string Date::ShortTime() const {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d", hour_, minute_);
    return buffer;
}

std::string Date::SQLDateTime() const {
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year_, month_, day_,
                  hour_, minute_, second_);
    return buffer;
}

void Date::SetFixedNow(std::optional<int64_t> unixSeconds) {
    FixedNow() = unixSeconds;
}

int32_t LocalGmtOffsetSeconds() {
    time_t now = static_cast<time_t>(std::floor(NowSeconds()));
    struct tm local {};
    if (localtime_r(&now, &local) == nullptr) return 0;
    return static_cast<int32_t>(local.tm_gmtoff);
}

}  // namespace fw
