#pragma once

#include <cstdint>
#include <string>

// The comparison's date text of a listing's date columns (" Mar  5 14:07", " Nov 28  2019"):
// yyyy/MM/dd HH:mm, the hour moved by zoneHours with full date arithmetic (the day, month and year
// follow in both directions; the hour stays 00 to 23). A time without a year belongs to the
// current year, or to the year before when its month lies after the current month. A year without
// a time reads 23:59.
std::string FormatRemoteDate(const std::string& dateText, int64_t zoneHours, int32_t currentYear,
                             int32_t currentMonth);

// The whole hours of a time-zone correction as typed: the number the text begins with, 0 when
// there is none ("9.5" is 9).
int64_t ZoneHours(const std::string& text);
