#include "Strings.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace fw {

int32_t CountFields(const std::string& s, const std::string& sep) {
    if (sep.empty()) return 1;
    int32_t count = 1;
    for (size_t at = s.find(sep); at != std::string::npos; at = s.find(sep, at + sep.size()))
        ++count;
    return count;
}

std::string NthField(const std::string& s, const std::string& sep, int32_t n) {
    if (n < 1) return "";
    if (sep.empty()) return n == 1 ? s : "";
    size_t begin = 0;
    for (int32_t field = 1; field < n; ++field) {
        size_t at = s.find(sep, begin);
        if (at == std::string::npos) return "";
        begin = at + sep.size();
    }
    size_t end = s.find(sep, begin);
    return s.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

int32_t InStr(int32_t start, const std::string& s, const std::string& find) {
    if (start < 1) start = 1;
    size_t from = static_cast<size_t>(start) - 1;
    if (from > s.size()) return 0;
    if (find.empty()) return start;
    size_t at = s.find(find, from);
    return at == std::string::npos ? 0 : static_cast<int32_t>(at) + 1;
}

std::string Mid(const std::string& s, int32_t start, int32_t length) {
    if (start < 1) start = 1;
    size_t from = static_cast<size_t>(start) - 1;
    if (from >= s.size()) return "";
    if (length < 0) return s.substr(from);
    return s.substr(from, static_cast<size_t>(length));
}

std::string Left(const std::string& s, int32_t count) {
    if (count <= 0) return "";
    return s.substr(0, static_cast<size_t>(count));
}

std::string Right(const std::string& s, int32_t count) {
    if (count <= 0) return "";
    size_t n = std::min(s.size(), static_cast<size_t>(count));
    return s.substr(s.size() - n);
}

std::string ReplaceAll(const std::string& s, const std::string& from, const std::string& to) {
    if (from.empty()) return s;
    std::string out;
    size_t begin = 0;
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, begin)) {
        out.append(s, begin, at - begin);
        out += to;
        begin = at + from.size();
    }
    out.append(s, begin, std::string::npos);
    return out;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.starts_with(prefix);
}

bool EndsWith(const std::string& s, const std::string& suffix) {
    return s.ends_with(suffix);
}

int StrCompBytes(const std::string& a, const std::string& b) {
    size_t common = std::min(a.size(), b.size());
    int c = common ? std::memcmp(a.data(), b.data(), common) : 0;
    if (c != 0) return c < 0 ? -1 : 1;
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int StrCompText(const std::string& a, const std::string& b) {
    int c = QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
                .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())),
                         Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool EqualsText(const std::string& a, const std::string& b) {
    return StrCompText(a, b) == 0;
}

std::string CaseFolded(const std::string& s) {
    if (ValidUtf8(s) == s)
        return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()))
            .toCaseFolded()
            .toStdString();
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

namespace {

// Past a plus sign at p, which from_chars does not take (it takes a minus sign only). Answers
// false when a minus sign follows it: one sign at most.
bool SkipPlus(const char*& p, const char* end) {
    if (p == end || *p != '+') return true;
    ++p;
    return p == end || *p != '-';
}

}  // namespace

int64_t Val(const std::string& s) {
    const char* p = s.data();
    const char* end = p + s.size();
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (!SkipPlus(p, end)) return 0;
    int64_t value = 0;
    auto [stop, error] = std::from_chars(p, end, value);
    if (error == std::errc::result_out_of_range)
        return *p == '-' ? std::numeric_limits<int64_t>::min()
                         : std::numeric_limits<int64_t>::max();
    return error == std::errc() ? value : 0;
}

bool ParseInt32(const std::string& s, int32_t& out) {
    const char* p = s.data();
    const char* end = p + s.size();
    if (!SkipPlus(p, end)) return false;
    int32_t value = 0;
    auto [stop, error] = std::from_chars(p, end, value);
    if (error != std::errc() || stop != end) return false;
    out = value;
    return true;
}

namespace {

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at s[i], or 0 when none starts there.
size_t ValidSequenceLength(const std::string& s, size_t i, size_t* maximalSubpart) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char lead = byte(i);
    *maximalSubpart = 1;
    if (lead < 0x80) return 1;
    size_t need;
    unsigned char lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3;
        if (lead == 0xE0) lo = 0xA0;  // overlong
        if (lead == 0xED) hi = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 4;
        if (lead == 0xF0) lo = 0x90;  // overlong
        if (lead == 0xF4) hi = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    for (size_t k = 1; k < need; ++k) {
        if (i + k >= s.size()) return 0;
        unsigned char c = byte(i + k);
        bool ok = k == 1 ? (c >= lo && c <= hi) : IsContinuation(c);
        if (!ok) return 0;
        *maximalSubpart = k + 1;
    }
    return need;
}

}  // namespace

std::string TruncateUtf8(const std::string& s, size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    // A lead byte and the continuation bytes after it are one unit: back up to the lead. Stray
    // continuation bytes without a lead belong to nothing and may be cut anywhere.
    size_t cut = maxBytes;
    while (cut > 0 && IsContinuation(static_cast<unsigned char>(s[cut]))) --cut;
    if (static_cast<unsigned char>(s[cut]) < 0xC0) cut = maxBytes;
    return s.substr(0, cut);
}

std::string LeftOutMarker(size_t leftOut) {
    return "…（" + std::to_string(leftOut) + " バイト省略）";
}

std::string ShownText(const std::string& s, size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    std::string shown = TruncateUtf8(s, maxBytes);
    return shown + LeftOutMarker(s.size() - shown.size());
}

std::string ValidUtf8(const std::string& s) {
    static const char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        size_t subpart;
        size_t n = ValidSequenceLength(s, i, &subpart);
        if (n > 0) {
            out.append(s, i, n);
            i += n;
        } else {
            out += kReplacement;
            i += subpart;
        }
    }
    return out;
}

}  // namespace fw
