#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <optional>
#include <string>

#include "framework/Date.h"

namespace {

// Local time is the machine's, so each test picks its zone and puts the old one back, with the
// real clock.
class DateTest : public testing::Test {
protected:
    void SetUp() override {
        if (const char* tz = getenv("TZ")) savedTz_ = tz;
        UseZone("UTC");
    }
    void TearDown() override {
        fw::Date::SetFixedNow(std::nullopt);
        if (savedTz_)
            setenv("TZ", savedTz_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void UseZone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }

    std::optional<std::string> savedTz_;
};

TEST_F(DateTest, FormatsArePaddedWithZeros) {
    struct Case {
        int64_t unix;
        const char* date;
        const char* time;
        const char* sql;
    };
    const Case cases[] = {
        {0, "1970/01/01", "00:00", "1970-01-01 00:00:00"},
        {1234567890, "2009/02/13", "23:31", "2009-02-13 23:31:30"},
        {1709251205, "2024/03/01", "00:00", "2024-03-01 00:00:05"},  // after a leap day
        {4102444799, "2099/12/31", "23:59", "2099-12-31 23:59:59"},
    };
    for (const Case& c : cases) {
        fw::Date d = fw::Date::FromUnixSeconds(c.unix);
        EXPECT_EQ(d.AbbreviatedDate(), c.date) << c.unix;
        EXPECT_EQ(d.ShortTime(), c.time) << c.unix;
        EXPECT_EQ(d.SQLDateTime(), c.sql) << c.unix;
        EXPECT_EQ(d.UnixSeconds(), c.unix);
    }
    fw::Date d = fw::Date::FromUnixSeconds(1234567890);
    EXPECT_EQ(d.Year(), 2009);
    EXPECT_EQ(d.Month(), 2);
    EXPECT_EQ(d.Day(), 13);
    EXPECT_EQ(d.Hour(), 23);
    EXPECT_EQ(d.Minute(), 31);
    EXPECT_EQ(d.Second(), 30);
}

TEST_F(DateTest, FieldsAreInTheLocalZone) {
    UseZone("JST-9");
    fw::Date d = fw::Date::FromUnixSeconds(1234567890);
    EXPECT_EQ(d.SQLDateTime(), "2009-02-14 08:31:30");
    EXPECT_EQ(d.UnixSeconds(), 1234567890);
    EXPECT_EQ(fw::LocalGmtOffsetSeconds(), 9 * 3600);
    UseZone("EST5");
    EXPECT_EQ(fw::LocalGmtOffsetSeconds(), -5 * 3600);
    UseZone("UTC");
    EXPECT_EQ(fw::LocalGmtOffsetSeconds(), 0);
}

TEST_F(DateTest, TheFixedClockDrivesNowAndElapsedTime) {
    fw::Date::SetFixedNow(1234567890);
    fw::Date now;
    EXPECT_EQ(now.UnixSeconds(), 1234567890);
    EXPECT_EQ(now.SQLDateTime(), "2009-02-13 23:31:30");
    EXPECT_EQ(now.SecondsUntilNow(), 0.0);
    fw::Date::SetFixedNow(1234567890 + 75);
    EXPECT_EQ(now.SecondsUntilNow(), 75.0);
    EXPECT_EQ(fw::Date::FromUnixSeconds(1234567890 + 100).SecondsUntilNow(), -25.0);
}

TEST_F(DateTest, TheRealClockMeasuresBelowTheSecond) {
    using std::chrono::system_clock;
    auto seconds = [](system_clock::time_point t) {
        return std::chrono::duration<double>(t.time_since_epoch()).count();
    };
    const system_clock::time_point before = system_clock::now();
    fw::Date now;
    const double elapsed = now.SecondsUntilNow();
    const system_clock::time_point after = system_clock::now();
    const int64_t realNow =
        std::chrono::duration_cast<std::chrono::seconds>(before.time_since_epoch()).count();
    EXPECT_GE(now.UnixSeconds(), realNow);
    EXPECT_LE(now.UnixSeconds(), realNow + 1);
    // No longer than the calls around it took, where a whole-second clock could be off by up to
    // a second.
    EXPECT_GE(elapsed, 0.0);
    EXPECT_LE(elapsed, seconds(after) - seconds(before) + 1e-4);
    const double hundred = fw::Date::FromUnixSeconds(realNow - 100).SecondsUntilNow();
    EXPECT_GE(hundred, 100.0);
    EXPECT_LE(hundred, 100.0 + seconds(system_clock::now()) - static_cast<double>(realNow));
}

}  // namespace
