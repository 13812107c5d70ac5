#include "compare/ListingLine.h"

#include <limits>
#include <string_view>

namespace {

constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Columns that stand before the date: type and permissions, links, owner and size at least.
constexpr int kColumnsBeforeDate = 4;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int32_t MonthAt(std::string_view s) {
    for (size_t i = 0; i < std::size(kMonths); ++i)
        if (s.substr(0, 3) == kMonths[i]) return static_cast<int32_t>(i) + 1;
    return 0;
}

size_t SkipBlanks(std::string_view s, size_t i) {
    while (i < s.size() && s[i] == ' ') ++i;
    return i;
}

size_t SkipDigits(std::string_view s, size_t i) {
    while (i < s.size() && IsDigit(s[i])) ++i;
    return i;
}

int ColumnsBefore(std::string_view s, size_t end) {
    int columns = 0;
    bool inColumn = false;
    for (size_t i = 0; i < end; ++i) {
        bool blank = s[i] == ' ';
        if (!blank && !inColumn) ++columns;
        inColumn = !blank;
    }
    return columns;
}

// The date columns starting with the blank at `blank`: a month, the day, a time or a year, and
// the blank that ends them. Answers the position where the name's blank begins, or npos.
size_t MatchDateColumns(std::string_view s, size_t blank) {
    if (MonthAt(s.substr(blank + 1)) == 0) return std::string_view::npos;
    size_t i = blank + 4;
    if (i >= s.size() || s[i] != ' ') return std::string_view::npos;
    i = SkipBlanks(s, i);
    size_t dayEnd = SkipDigits(s, i);
    if (dayEnd == i || dayEnd - i > 2) return std::string_view::npos;
    i = SkipBlanks(s, dayEnd);
    if (i == dayEnd) return std::string_view::npos;
    size_t numberEnd = SkipDigits(s, i);
    size_t end;
    if (numberEnd < s.size() && s[numberEnd] == ':' && numberEnd - i >= 1 && numberEnd - i <= 2) {
        end = SkipDigits(s, numberEnd + 1);
        if (end - numberEnd - 1 != 2) return std::string_view::npos;
    } else if (numberEnd - i == 4) {
        end = numberEnd;
    } else {
        return std::string_view::npos;
    }
    if (end >= s.size() || s[end] != ' ') return std::string_view::npos;
    return end;
}

// The number a column begins with, 0 when it begins with no digit; saturates.
int64_t LeadingNumber(std::string_view column) {
    int64_t value = 0;
    for (char c : column) {
        if (!IsDigit(c)) break;
        int digit = c - '0';
        if (value > (std::numeric_limits<int64_t>::max() - digit) / 10)
            return std::numeric_limits<int64_t>::max();
        value = value * 10 + digit;
    }
    return value;
}

// The column that ends just before `end` (blanks skipped backwards).
std::string_view ColumnBefore(std::string_view s, size_t end) {
    size_t last = end;
    while (last > 0 && s[last - 1] == ' ') --last;
    size_t first = last;
    while (first > 0 && s[first - 1] != ' ') --first;
    return s.substr(first, last - first);
}

bool AcceptableName(std::string_view name) {
    if (name.empty() || name[0] == '.') return false;  // ".", ".." and hidden names
    return name.find_first_of(std::string_view("/\r\n\0", 4)) == std::string_view::npos;
}

}  // namespace

int32_t MonthNumber(const std::string& name) {
    return name.size() == 3 ? MonthAt(name) : 0;
}

std::optional<ListingLine> ParseListingLine(const std::string& text) {
    std::string_view line(text);
    if (line.empty() || (line[0] != 'd' && line[0] != '-')) return std::nullopt;
    for (size_t blank = line.find(' '); blank != std::string_view::npos;
         blank = line.find(' ', blank + 1)) {
        size_t end = MatchDateColumns(line, blank);
        if (end == std::string_view::npos) continue;
        if (ColumnsBefore(line, blank) < kColumnsBeforeDate) continue;
        // The name starts right after the one blank that ends the date: blanks it begins with
        // are its own.
        std::string_view name = line.substr(end + 1);
        if (!AcceptableName(name)) return std::nullopt;
        ListingLine entry;
        entry.kind.assign(1, line[0] == 'd' ? 'd' : 'f');
        entry.name = std::string(name);
        entry.dateText = std::string(line.substr(blank, end - blank));
        if (entry.kind == "f") entry.size = LeadingNumber(ColumnBefore(line, blank));
        return entry;
    }
    return std::nullopt;
}

std::vector<std::string> ListingLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1) {
        const size_t cut = lf > start && text[lf - 1] == '\r' ? lf - 1 : lf;
        std::string line = text.substr(start, cut - start);
        if (line.compare(0, 5, "total") != 0) lines.push_back(std::move(line));
    }
    return lines;
}
