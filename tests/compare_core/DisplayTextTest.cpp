// The texts the comparison shows and compares: sizes and remote dates.
#include <gtest/gtest.h>

#include "compare/RemoteDate.h"
#include "compare/SizeText.h"
#include "compare/WorkingFolderReply.h"

namespace {

TEST(SizeText, SwitchesUnitsAtTheDecimalThresholds) {
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0 bytes"},
        {1000, "1000 bytes"},
        {1001, "1.0 KB"},
        {1536, "1.5 KB"},
        {1000000, "976.6 KB"},
        {1000001, "1.0 MB"},
        {5242880, "5.0 MB"},
        {3000000000, "2861.0 MB"},
        {1075, "1.0 KB"},
        {1126, "1.1 KB"},  // 1.0996: rounds up
        {INT64_MAX, "8796093022208.0 MB"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(SizeText(bytes), text) << bytes;
}

struct DateCase {
    std::string text;
    int64_t zone;
    int32_t year;  // the current local date
    int32_t month;
    std::string expected;
};

TEST(RemoteDate, CorrectsByTheZoneWithFullDateArithmetic) {
    const DateCase cases[] = {
        // The time form takes the current year, or the year before for a later month.
        {" Mar  5 14:07", 0, 2020, 2, "2019/03/05 14:07"},
        {" Mar  5 14:07", 9, 2020, 2, "2019/03/05 23:07"},
        {" Mar  5 14:07", 12, 2020, 2, "2019/03/06 02:07"},
        {" Feb 15 10:00", 0, 2020, 2, "2020/02/15 10:00"},
        {" Feb 28 10:00", 0, 2020, 2, "2020/02/28 10:00"},  // later this month: still this year
        // The year form reads 23:59.
        {" Nov 28  2019", 0, 2020, 2, "2019/11/28 23:59"},
        {" Nov 28  2019", 9, 2020, 2, "2019/11/29 08:59"},
        // Forwards over the end of a month and a year, and into a leap day.
        {" Dec 31 20:00", 9, 2020, 1, "2020/01/01 05:00"},
        {" Feb 28 23:30", 1, 2020, 3, "2020/02/29 00:30"},
        {" Feb 28 23:30", 1, 2021, 3, "2021/03/01 00:30"},
        // Backwards: the day, month and year borrow; the hour stays 00 to 23.
        {" Mar  5 02:00", -3, 2020, 4, "2020/03/04 23:00"},
        {" Mar  1 02:00", -3, 2020, 4, "2020/02/29 23:00"},
        {" Mar  1 02:00", -3, 2021, 4, "2021/02/28 23:00"},
        {" Jan  1 00:30", -1, 2020, 1, "2019/12/31 23:30"},
        {" Jan  1  2020", -24, 2020, 6, "2019/12/31 23:59"},
        // Shifts of several days either way.
        {" Jan 30 12:00", 60, 2020, 2, "2020/02/02 00:00"},
        {" Mar  1 12:00", -60, 2020, 4, "2020/02/28 00:00"},
        {" Mar 05 14:07", 0, 2020, 4, "2020/03/05 14:07"},
    };
    for (const DateCase& c : cases)
        EXPECT_EQ(FormatRemoteDate(c.text, c.zone, c.year, c.month), c.expected)
            << c.text << " zone " << c.zone << " in " << c.year << "/" << c.month;
}

TEST(RemoteDate, ReadsTheZoneAsTyped) {
    const std::pair<const char*, int64_t> cases[] = {
        {"", 0}, {"9", 9}, {"-5", -5}, {"9.5", 9}, {" 3", 3}, {"abc", 0}, {"+2", 2},
    };
    for (const auto& [text, hours] : cases) EXPECT_EQ(ZoneHours(text), hours) << text;
}

}  // namespace

namespace {

TEST(WorkingFolderReply, NamesTheQuotedFolder) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"257 \"/\" is the current directory\r\n", "/"},
        {"257 \"/home/ftp/site\"\r\n", "/home/ftp/site"},
        {"257 \"/a \"\"quoted\"\" name\" is current\r\n", "/a \"quoted\" name"},
        {"257 \"/日本語\"\r\n", "/日本語"},
        {"257 current directory unknown\r\n", std::nullopt},
        {"257 \"\"\r\n", std::nullopt},
        {"257 \"relative\"\r\n", std::nullopt},
        {"257 \"/unterminated\r\n", std::nullopt},
        {"257 \"/a\"b\" is current\r\n", std::nullopt},  // a quote the server did not double
    };
    for (const auto& [reply, folder] : cases)
        EXPECT_EQ(WorkingFolderOfReply(reply), folder) << reply;
}

}  // namespace
