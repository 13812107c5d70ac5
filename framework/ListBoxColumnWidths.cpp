#include "ListBoxColumnWidths.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace fw {

namespace {

struct WidthEntry {
    enum Kind { Pixels, Percent, Share } kind = Share;
    double value = 1;
};

std::string Trimmed(const std::string& s) {
    size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// A non-negative number that takes the whole text, or -1.
double Number(const std::string& text) {
    if (text.empty()) return -1;
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v) || v < 0) return -1;
    return v;
}

WidthEntry ParseEntry(const std::string& raw) {
    std::string text = Trimmed(raw);
    if (text.empty()) return {};
    char unit = text.back();
    if (unit == '%' || unit == '*') {
        std::string digits = text.substr(0, text.size() - 1);
        double v = unit == '*' && Trimmed(digits).empty() ? 1 : Number(Trimmed(digits));
        if (v < 0) return {};
        return {unit == '%' ? WidthEntry::Percent : WidthEntry::Share, v};
    }
    double v = Number(text);
    if (v < 0) return {};
    return {WidthEntry::Pixels, v};
}

std::vector<WidthEntry> ParseWidthList(const std::string& widthList, int32_t columns) {
    std::vector<WidthEntry> entries;
    size_t start = 0;
    while (static_cast<int32_t>(entries.size()) < columns && start <= widthList.size()) {
        size_t comma = widthList.find(',', start);
        if (comma == std::string::npos) comma = widthList.size();
        entries.push_back(ParseEntry(widthList.substr(start, comma - start)));
        start = comma + 1;
    }
    entries.resize(static_cast<size_t>(std::max(0, columns)));
    return entries;
}

}  // namespace

std::vector<int32_t> ComputeColumnWidths(const std::string& widthList, int32_t columns,
                                         int32_t total) {
    std::vector<WidthEntry> entries = ParseWidthList(widthList, columns);
    std::vector<int32_t> widths(entries.size(), 0);
    total = std::max(0, total);
    int64_t used = 0;
    double shares = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const WidthEntry& e = entries[i];
        if (e.kind == WidthEntry::Share) {
            shares += e.value;
            continue;
        }
        double w = e.kind == WidthEntry::Percent ? total * e.value / 100.0 : e.value;
        widths[i] = static_cast<int32_t>(std::min(std::floor(w), 1e6));
        used += widths[i];
    }
    int64_t left = std::max<int64_t>(0, total - used);
    if (shares <= 0) return widths;
    // Each share column takes its part rounded down; the last one takes what rounding left over.
    int64_t given = 0;
    size_t lastShare = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].kind != WidthEntry::Share || entries[i].value <= 0) continue;
        widths[i] = static_cast<int32_t>(std::floor(left * entries[i].value / shares));
        given += widths[i];
        lastShare = i;
    }
    widths[lastShare] += static_cast<int32_t>(left - given);
    return widths;
}

}  // namespace fw
