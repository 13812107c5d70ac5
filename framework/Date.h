#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fw {

// A local date and time, to the second.
class Date {
public:
    Date();  // now (or the fixed test clock)
    static Date FromUnixSeconds(int64_t seconds);

    int32_t Year() const { return year_; }
    int32_t Month() const { return month_; }
    int32_t Day() const { return day_; }
    int32_t Hour() const { return hour_; }
    int32_t Minute() const { return minute_; }
    int32_t Second() const { return second_; }
    int64_t UnixSeconds() const { return unix_; }
    // Seconds since this date, as a real number, against the current clock.
    double SecondsUntilNow() const;

    std::string AbbreviatedDate() const;  // yyyy/MM/dd
    std::string ShortTime() const;        // HH:mm
    std::string SQLDateTime() const;      // yyyy-MM-dd HH:mm:ss

    // Fixes the clock for tests; nullopt gives the real clock back.
    static void SetFixedNow(std::optional<int64_t> unixSeconds);

private:
    void SetFromUnix(int64_t seconds);
    int64_t unix_ = 0;
    double fraction_ = 0;  // below the second, so short intervals measure right
    int32_t year_ = 0, month_ = 0, day_ = 0, hour_ = 0, minute_ = 0, second_ = 0;
};

// The machine's current offset from GMT in seconds, east positive.
int32_t LocalGmtOffsetSeconds();

}  // namespace fw
