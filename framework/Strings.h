#pragma once

#include <cstdint>
#include <string>

// The string helpers the program uses, each with its exact rule, in one place. Strings are byte
// strings, UTF-8 where they hold text. Positions are 1-based, as in the program's model.
namespace fw {

// Fields separated by sep: "a,b" has 2, "" has 1 when counting and gives "" for field 1.
int32_t CountFields(const std::string& s, const std::string& sep);
// Field n (1-based) of s; "" when there is no such field.
std::string NthField(const std::string& s, const std::string& sep, int32_t n);

// 1-based position of find in s at or after start, 0 when absent (byte comparison).
int32_t InStr(int32_t start, const std::string& s, const std::string& find);
// length bytes of s from the 1-based position start; to the end when length < 0.
std::string Mid(const std::string& s, int32_t start, int32_t length = -1);
std::string Left(const std::string& s, int32_t count);
std::string Right(const std::string& s, int32_t count);
std::string ReplaceAll(const std::string& s, const std::string& from, const std::string& to);
bool StartsWith(const std::string& s, const std::string& prefix);
bool EndsWith(const std::string& s, const std::string& suffix);

// Three-way comparisons: negative, 0 or positive. Byte mode compares the bytes; text mode
// compares the UTF-8 texts without regard to case.
int StrCompBytes(const std::string& a, const std::string& b);
int StrCompText(const std::string& a, const std::string& b);
bool EqualsText(const std::string& a, const std::string& b);  // StrCompText == 0
// s with its case folded: Unicode case folding for valid UTF-8, otherwise only the ASCII
// capitals lowered, so that two names of other encodings are never made one.
std::string CaseFolded(const std::string& s);

// The number a text begins with (leading blanks skipped, sign and digits); 0 when none.
int64_t Val(const std::string& s);
// Whether s is a whole decimal number that fits in 32 bits (digits only, optional sign).
bool ParseInt32(const std::string& s, int32_t& out);

// At most maxBytes of s, cut so that no UTF-8 character is split.
std::string TruncateUtf8(const std::string& s, size_t maxBytes);
// Stands for the bytes of a long text that a reader is not shown.
std::string LeftOutMarker(size_t leftOut);
// What a reader is shown of s: s itself, or, past maxBytes, its beginning cut where a character
// begins and LeftOutMarker for the rest. Text is laid out in time that grows faster than its
// length, so a server's reply of megabytes would stop the window while it is laid out.
std::string ShownText(const std::string& s, size_t maxBytes);
// s as valid UTF-8: every invalid sequence becomes U+FFFD.
std::string ValidUtf8(const std::string& s);

}  // namespace fw
