// Listing lines as servers write them, cut into entries by the structure of their date columns.
#include <gtest/gtest.h>

#include "compare/ListingLine.h"
#include "tests/support/CaseNames.h"

namespace {

struct LineCase {
    const char* what;
    std::string line;
    bool entry;
    std::string kind;
    std::string name;
    int64_t size;
    std::string dateText;
};

LineCase Skipped(const char* what, std::string line) {
    return {what, std::move(line), false, "", "", 0, ""};
}

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.what;
}

class ListingLineCases : public testing::TestWithParam<LineCase> {};

TEST_P(ListingLineCases, GiveTheirEntryOrNone) {
    const LineCase& c = GetParam();
    std::optional<ListingLine> parsed = ParseListingLine(c.line);
    ASSERT_EQ(parsed.has_value(), c.entry) << c.line;
    if (!c.entry) return;
    EXPECT_EQ(parsed->kind, c.kind);
    EXPECT_EQ(parsed->name, c.name);
    EXPECT_EQ(parsed->dateText, c.dateText);
    if (c.kind == "f") {
        EXPECT_EQ(parsed->size, c.size);
    }
}

INSTANTIATE_TEST_SUITE_P(
    WorkedLines, ListingLineCases,
    testing::Values(
        LineCase{"time form folder", "drwxr-xr-x   3 user  staff      102 Mar  5 14:07 Documents",
                 true, "d", "Documents", 0, " Mar  5 14:07"},
        LineCase{"year form file with a blank in its name",
                 "-rw-r--r--   1 user  staff     2048 Nov 28  2019 report 2019.txt", true, "f",
                 "report 2019.txt", 2048, " Nov 28  2019"},
        LineCase{"a blank that begins a name is kept",
                 "-rw-r--r--   1 user  staff     2048 Nov 28 09:30  leading blank.txt", true, "f",
                 " leading blank.txt", 2048, " Nov 28 09:30"},
        LineCase{"blanks that begin a year-form folder name are kept",
                 "drwxr-xr-x   2 user  staff     4096 Nov 28  2019   two.d", true, "d", "  two.d",
                 0, " Nov 28  2019"},
        Skipped("symbolic link", "lrwxrwxrwx   1 user  staff        7 Jan  9 08:00 www -> htdocs"),
        LineCase{"zero-padded day as vsftpd writes it",
                 "-rw-r--r--    1 0        0             256 Mar 05 14:07 data.bin", true, "f",
                 "data.bin", 256, " Mar 05 14:07"},
        LineCase{"a size that is no number reads 0",
                 "-rw-r--r--   1 user  staff      abc Mar  5 14:07 odd", true, "f", "odd", 0,
                 " Mar  5 14:07"},
        LineCase{"a Japanese name", "-rw-r--r--   1 user  staff        9 Mar  5 14:07 日本語.txt",
                 true, "f", "日本語.txt", 9, " Mar  5 14:07"}),
    [](const testing::TestParamInfo<LineCase>& info) {
        return testsupport::CaseName(info.param.what);
    });

// Lines that a search by the month token alone would cut in the wrong place.
INSTANTIATE_TEST_SUITE_P(
    MisleadingLines, ListingLineCases,
    testing::Values(
        LineCase{"a month name inside the file name, earlier in the calendar",
                 "-rw-r--r--   1 user  staff      100 Mar  5 14:07 notes Jan 12 10:00.txt", true,
                 "f", "notes Jan 12 10:00.txt", 100, " Mar  5 14:07"},
        LineCase{"an owner named like a month",
                 "-rw-r--r--   1 Jan   staff      100 Mar  5 14:07 plan.txt", true, "f", "plan.txt",
                 100, " Mar  5 14:07"},
        LineCase{"an owner like a month followed by numbers that look like a date",
                 "-rw-r--r--   1 Jan 12 2019 Mar  5 14:07 plan.txt", true, "f", "plan.txt", 2019,
                 " Mar  5 14:07"},
        LineCase{"a colon in a year-form name",
                 "-rw-r--r--   1 user  staff      100 Nov 28  2019 a:b.txt", true, "f", "a:b.txt",
                 100, " Nov 28  2019"},
        LineCase{"an unpadded day in the year form keeps the whole name",
                 "-rw-r--r--   1 user  staff      100 Nov 5 2019 keep.txt", true, "f", "keep.txt",
                 100, " Nov 5 2019"},
        LineCase{"a name that is itself a date",
                 "drwxr-xr-x   2 user  staff     4096 Dec 31 23:59 Jan 01 00:00", true, "d",
                 "Jan 01 00:00", 0, " Dec 31 23:59"}),
    [](const testing::TestParamInfo<LineCase>& info) {
        return testsupport::CaseName(info.param.what);
    });

// Lines that make no entry: no date columns, names that must never become entries.
INSTANTIATE_TEST_SUITE_P(
    SkippedLines, ListingLineCases,
    testing::Values(
        Skipped("empty", ""), Skipped("total line", "total 24"),
        Skipped("no month", "-rw-r--r--   1 user  staff   100 Foo  5 14:07 x"),
        Skipped("no name", "-rw-r--r--   1 user  staff   100 Mar  5 14:07 "),
        Skipped("current folder", "drwxr-xr-x   2 u  g  4096 Mar  5 14:07 ."),
        Skipped("parent folder", "drwxr-xr-x   2 u  g  4096 Mar  5 14:07 .."),
        Skipped("hidden file", "-rw-r--r--   1 u  g  10 Mar  5 14:07 .htaccess"),
        Skipped("a slash in the name", "drwxr-xr-x   2 u  g  4096 Mar  5 14:07 ../../etc"),
        Skipped("a carriage return in the name", "-rw-r--r--   1 u  g  10 Mar  5 14:07 a\rb"),
        Skipped("too few columns before the date", "-rw 10 Mar  5 14:07 x"),
        Skipped("a time without minutes", "-rw-r--r--   1 u  g  10 Mar  5 14: x"),
        Skipped("a three-digit day", "-rw-r--r--   1 u  g  10 Mar 105 14:07 x"),
        Skipped("MS-DOS style", "03-05-20  02:07PM       <DIR>          site")),
    [](const testing::TestParamInfo<LineCase>& info) {
        return testsupport::CaseName(info.param.what);
    });

TEST(ListingLineCases, DotsInsideANameDoNotHideIt) {
    std::optional<ListingLine> parsed =
        ParseListingLine("-rw-r--r--   1 u  g  10 Mar  5 14:07 my .profile copy");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->name, "my .profile copy");
}

TEST(ListingLineCases, SizesBeyondAnyNumberSaturate) {
    std::optional<ListingLine> parsed =
        ParseListingLine("-rw-r--r--   1 u  g  99999999999999999999999 Mar  5 14:07 big");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->size, std::numeric_limits<int64_t>::max());
}

struct SplitCase {
    std::string text;
    std::vector<std::string> lines;
};

TEST(ListingLinesSplit, KeepsEveryWholeLineButTheTotal) {
    const SplitCase cases[] = {
        {"", {}},
        {"total 8\r\n", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nlast without line end", {"a"}},
        {"a\r\ncut at its CR\r", {"a"}},
        {"no line end at all", {}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"x .hidden\r\n", {"x .hidden"}},
    };
    for (const SplitCase& c : cases) EXPECT_EQ(ListingLines(c.text), c.lines) << c.text;
}

}  // namespace
