#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "framework/Strings.h"

namespace {

TEST(StringsTest, FieldsSplitOnTheWholeSeparator) {
    struct Case {
        std::string s, sep;
        int32_t count;
    };
    const Case cases[] = {
        {"", ",", 1},  {"a", ",", 1},       {"a,b", ",", 2},   {"a,,b", ",", 3},
        {",", ",", 2}, {"a::b:c", "::", 2}, {"::::", "::", 3}, {"abc", "", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fw::CountFields(c.s, c.sep), c.count) << '"' << c.s << "\" by \"" << c.sep << '"';

    EXPECT_EQ(fw::NthField("a::b:c", "::", 2), "b:c");
    EXPECT_EQ(fw::NthField("a,,b", ",", 2), "");
    EXPECT_EQ(fw::NthField("a,,b", ",", 3), "b");
    EXPECT_EQ(fw::NthField("", ",", 1), "");
    EXPECT_EQ(fw::NthField("a,b", ",", 0), "");
    EXPECT_EQ(fw::NthField("a,b", ",", 3), "");
    EXPECT_EQ(fw::NthField("a,b", ",", -1), "");
}

TEST(StringsTest, InStrIsOneBasedAndBoundsTheStart) {
    struct Case {
        int32_t start;
        std::string s, find;
        int32_t expected;
    };
    const Case cases[] = {
        {1, "abcabc", "bc", 2}, {3, "abcabc", "bc", 5}, {6, "abcabc", "bc", 0},
        {0, "abcabc", "a", 1},  {-5, "abc", "c", 3},    {1, "abc", "x", 0},
        {1, "", "a", 0},        {2, "abc", "", 2},      {4, "abc", "", 4},
        {5, "abc", "", 0},      {1, "", "", 1},         {1, "ab", "abc", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fw::InStr(c.start, c.s, c.find), c.expected)
            << "InStr(" << c.start << ", \"" << c.s << "\", \"" << c.find << "\")";
}

TEST(StringsTest, MidLeftRightClampToTheString) {
    EXPECT_EQ(fw::Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(fw::Mid("abcdef", 2), "bcdef");
    EXPECT_EQ(fw::Mid("abcdef", 0, 2), "ab");
    EXPECT_EQ(fw::Mid("abcdef", 5, 100), "ef");
    EXPECT_EQ(fw::Mid("abcdef", 7), "");
    EXPECT_EQ(fw::Mid("abcdef", 3, 0), "");
    EXPECT_EQ(fw::Left("abc", 2), "ab");
    EXPECT_EQ(fw::Left("abc", 10), "abc");
    EXPECT_EQ(fw::Left("abc", -1), "");
    EXPECT_EQ(fw::Right("abc", 2), "bc");
    EXPECT_EQ(fw::Right("abc", 10), "abc");
    EXPECT_EQ(fw::Right("abc", 0), "");
}

TEST(StringsTest, ReplaceAllDoesNotRescanReplacedText) {
    EXPECT_EQ(fw::ReplaceAll("a.b.c", ".", "/"), "a/b/c");
    EXPECT_EQ(fw::ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(fw::ReplaceAll("abab", "ab", ""), "");
    EXPECT_EQ(fw::ReplaceAll("abc", "", "x"), "abc");
    EXPECT_TRUE(fw::StartsWith("abc", "ab"));
    EXPECT_TRUE(fw::StartsWith("abc", ""));
    EXPECT_FALSE(fw::StartsWith("ab", "abc"));
    EXPECT_TRUE(fw::EndsWith("abc", "bc"));
    EXPECT_FALSE(fw::EndsWith("c", "bc"));
}

TEST(StringsTest, ByteComparisonIsUnsignedThenByLength) {
    EXPECT_LT(fw::StrCompBytes("a", "b"), 0);
    EXPECT_GT(fw::StrCompBytes("b", "a"), 0);
    EXPECT_EQ(fw::StrCompBytes("abc", "abc"), 0);
    EXPECT_LT(fw::StrCompBytes("ab", "abc"), 0);
    EXPECT_LT(fw::StrCompBytes("A", "a"), 0);
    // A byte above 0x7F sorts after ASCII, not before it as a signed char would.
    EXPECT_GT(fw::StrCompBytes("\xE3\x81\x82", "z"), 0);
    EXPECT_LT(fw::StrCompBytes(std::string("a\0b", 3), std::string("a\0c", 3)), 0);
}

TEST(StringsTest, TextComparisonIgnoresCaseBeyondAscii) {
    EXPECT_EQ(fw::StrCompText("Hello", "hELLO"), 0);
    EXPECT_TRUE(fw::EqualsText("\xC3\x84rger", "\xC3\xA4RGER"));  // Ärger / äRGER
    EXPECT_LT(fw::StrCompText("apple", "Banana"), 0);
    EXPECT_GT(fw::StrCompText("b", "A"), 0);
    EXPECT_FALSE(fw::EqualsText("abc", "abd"));
    EXPECT_FALSE(fw::EqualsText("abc", "abcd"));
}

TEST(StringsTest, ValReadsTheLeadingNumber) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    struct Case {
        std::string s;
        int64_t expected;
    };
    const Case cases[] = {
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-5", -5},
        {"+7", 7},
        {" \t 42 ", 42},
        {"- 5", 0},
        {"+-5", 0},
        {"-+5", 0},
        {"--5", 0},
        {"-", 0},
        {"+", 0},
        {" \t", 0},
        {"-0", 0},
        {"007", 7},
        {"3.9", 3},
        {"9223372036854775807", kMax},
        {"9223372036854775808", kMax},
        {"99999999999999999999999", kMax},
        {"-9223372036854775808", kMin},
        {"-99999999999999999999999", kMin},
    };
    for (const Case& c : cases) EXPECT_EQ(fw::Val(c.s), c.expected) << '"' << c.s << '"';
}

TEST(StringsTest, ParseInt32WantsTheWholeStringInRange) {
    struct Case {
        std::string s;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"-17", true, -17},
        {"+17", true, 17},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, std::numeric_limits<int32_t>::min()},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"+", false, 0},
        {"+-1", false, 0},
        {"-+1", false, 0},
        {"--1", false, 0},
        {"0042", true, 42},
        {" 1", false, 0},
        {"1 ", false, 0},
        {"12a", false, 0},
        {"1.0", false, 0},
    };
    for (const Case& c : cases) {
        int32_t out = 12345;
        EXPECT_EQ(fw::ParseInt32(c.s, out), c.ok) << '"' << c.s << '"';
        EXPECT_EQ(out, c.ok ? c.value : 12345) << '"' << c.s << "\" changed out on failure";
    }
}

TEST(StringsTest, TruncateUtf8NeverSplitsACharacter) {
    // 日本語テキスト: seven characters of three bytes each.
    const std::string japanese =
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x83\x86\xE3\x82\xAD"
        "\xE3\x82\xB9\xE3\x83\x88";
    ASSERT_EQ(japanese.size(), 21u);
    for (size_t max = 0; max <= 22; ++max) {
        std::string cut = fw::TruncateUtf8(japanese, max);
        EXPECT_EQ(cut.size(), std::min<size_t>(21, max / 3 * 3)) << "max " << max;
        EXPECT_EQ(cut, japanese.substr(0, cut.size()));
    }
    // Mixed widths: a (1) é (2) 日 (3) 😀 (4).
    const std::string mixed = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";
    const size_t expected[] = {0, 1, 1, 3, 3, 3, 6, 6, 6, 6, 10, 10};
    for (size_t max = 0; max < std::size(expected); ++max)
        EXPECT_EQ(fw::TruncateUtf8(mixed, max).size(), expected[max]) << "max " << max;
}

TEST(StringsTest, TruncateUtf8KeepsLeadAndContinuationsTogetherInInvalidText) {
    // A lone lead byte followed by ASCII can be cut after the lead; a lead with its (too many)
    // continuation bytes can't be cut inside the run.
    EXPECT_EQ(fw::TruncateUtf8("a\xE6"
                               "bc",
                               2),
              "a\xE6");
    EXPECT_EQ(fw::TruncateUtf8("a\xC3\xA9\xA9z", 3), "a");
    // Stray continuation bytes belong to no character.
    EXPECT_EQ(fw::TruncateUtf8("ab\x80\x80\x80", 3), "ab\x80");
}

TEST(StringsTest, ValidUtf8ReplacesEachMaximalInvalidSubpart) {
    const std::string R = "\xEF\xBF\xBD";
    struct Case {
        const char* what;
        std::string in, out;
    };
    const Case cases[] = {
        {"ascii", "plain text", "plain text"},
        {"japanese", "\xE6\x97\xA5\xE6\x9C\xAC", "\xE6\x97\xA5\xE6\x9C\xAC"},
        {"four-byte", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"highest code point", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
        {"nul is valid", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"lone continuation", "a\x80z", "a" + R + "z"},
        {"two continuations", "\x80\xBF", R + R},
        {"truncated three-byte", "\xE6\x97z", R + "z"},
        {"truncated at the end", "ab\xE6\x97", "ab" + R},
        {"overlong two-byte", "\xC0\xAF", R + R},
        {"overlong three-byte", "\xE0\x80\xAF", R + R + R},
        {"surrogate", "\xED\xA0\x80", R + R + R},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", R + R + R + R},
        {"F5 lead", "\xF5\x80", R + R},
        {"FF byte", "a\xFF", "a" + R},
        {"lead then lead", "\xE6\xE6\x97\xA5", R + "\xE6\x97\xA5"},
        {"latin-1", "caf\xE9!", "caf" + R + "!"},
    };
    for (const Case& c : cases) EXPECT_EQ(fw::ValidUtf8(c.in), c.out) << c.what;
}

}  // namespace
