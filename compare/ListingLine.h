#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One entry of a Unix-style long listing, as the remote walk reads it.
struct ListingLine {
    std::string kind;      // "d" folder, "f" file
    std::string name;      // whole, with any blanks it begins with
    int64_t size = 0;      // the number the size column begins with (files)
    std::string dateText;  // the date columns from the blank before the month: " Mar  5 14:07"
};

// Parses one line. The date columns are found by their structure (at least four columns, a month
// abbreviation, the day, then a time of hours and minutes or a year, then the name), leftmost
// match first, so a month or a colon inside a name, or an owner named like a month, cannot move
// the cut. Answers nothing for a line that does not match, a type other than "d" or "-", and a
// name that is empty, ".", "..", hidden (begins with ".") or unsafe to send back to the server
// ("/", CR, LF or NUL in it).
std::optional<ListingLine> ParseListingLine(const std::string& line);

// Splits the text of a whole listing into its lines, without line ends: CR LF and LF end a line,
// and the "total" line of a long listing is dropped. A last line without its line end is dropped
// too: it may be cut short, and a cut name must not stand for a file.
std::vector<std::string> ListingLines(const std::string& text);
// Whether the text ends inside a line: the line ListingLines drops.
inline bool EndsMidLine(const std::string& text) {
    return !text.empty() && text.back() != '\n';
}

// The number of a month abbreviation ("Jan" 1 ... "Dec" 12), 0 for any other text.
int32_t MonthNumber(const std::string& name);
