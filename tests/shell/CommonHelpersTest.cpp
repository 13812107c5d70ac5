// The shared helpers of the global module: the confirmation routine and its one-button form, the
// flag conversions, the file-name split, the calendar helpers and the GMT offset.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <QAbstractButton>
#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "framework/Date.h"
#include "framework/MessageDialog.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

using shelltest::ShellTest;

class MsgDlgTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        parent_ = new fw::Window;  // closed and deleted by the fixture
        parent_->Build();
        gPref[PrefBeepOnDialog] = 1;
    }
    fw::Window* parent_ = nullptr;
};

TEST_F(MsgDlgTest, ButtonCountCaptionsAndAnswers) {
    struct Case {
        int32_t buttonCount;
        fw::ModalAnswer answer;
        std::vector<std::string> buttons;
        int32_t result;
    };
    const Case cases[] = {
        {2, fw::ModalAnswer::Press("削除"), {"削除", "キャンセル"}, MsgDlgAction},
        {2, fw::ModalAnswer::Press("キャンセル"), {"削除", "キャンセル"}, MsgDlgCancel},
        {2, fw::ModalAnswer::Cancel(), {"削除", "キャンセル"}, MsgDlgCancel},  // Escape, close box
        {1, fw::ModalAnswer::Press("削除"), {"削除"}, MsgDlgAction},
        {0, fw::ModalAnswer::Press("削除"), {"削除"}, MsgDlgAction},
        {1, fw::ModalAnswer::Cancel(), {"削除"}, MsgDlgCancel},
        {3,
         fw::ModalAnswer::Press("別の操作"),
         {"削除", "キャンセル", "別の操作"},
         MsgDlgAlternate},
        {3, fw::ModalAnswer::Press("キャンセル"), {"削除", "キャンセル", "別の操作"}, MsgDlgCancel},
        {5, fw::ModalAnswer::Press("削除"), {"削除", "キャンセル", "別の操作"}, MsgDlgAction},
    };
    for (const Case& c : cases) {
        fw::ModalHost::BeginScript();
        fw::ModalHost::Expect(c.answer);
        const int32_t result =
            ShowMsgDlg(c.buttonCount, "削除", "キャンセル", "別の操作", "本当に削除しますか？",
                       "この操作は取り消しができません。", parent_);
        SCOPED_TRACE(testing::Message() << c.buttonCount << " buttons, answer " << c.answer.text);
        EXPECT_EQ(result, c.result);
        ASSERT_EQ(fw::ModalHost::Shown().size(), 1u);
        const fw::ModalPrompt& shown = fw::ModalHost::Shown()[0];
        EXPECT_EQ(shown.kind, "message");
        EXPECT_EQ(shown.message, "本当に削除しますか？");
        EXPECT_EQ(shown.explanation, "この操作は取り消しができません。");
        EXPECT_EQ(shown.buttons, c.buttons);
    }
}

TEST_F(MsgDlgTest, IsShownWithinItsParentWindow) {
    QWidget* parentOfDialog = nullptr;
    fw::ModalAnswer closeIt;
    closeIt.action = fw::ModalAnswer::Action::Custom;
    closeIt.custom = [&](QDialog* dialog) {
        parentOfDialog = dialog->parentWidget();
        dialog->reject();
    };
    fw::ModalHost::Expect(closeIt);
    EXPECT_EQ(ShowMsgDlg(2, "実行", "キャンセル", "", "m", "", parent_), MsgDlgCancel);
    EXPECT_EQ(parentOfDialog, parent_->Widget()->window());
}

TEST_F(MsgDlgTest, BeepsBeforeTheDialogOnlyWhenTheFlagIsOne) {
    struct Case {
        int32_t flag;
        int beeps;
    };
    const Case cases[] = {{1, 1}, {0, 0}, {2, 0}, {-1, 0}};
    for (const Case& c : cases) {
        gPref[PrefBeepOnDialog] = c.flag;
        const int before = fw::BeepCount();
        std::optional<int> beepsWhenShown;
        fw::ModalHost::ExpectStep([&](const fw::ModalPrompt&) {
            beepsWhenShown = fw::BeepCount() - before;
            return fw::ModalAnswer::Press("OK");
        });
        ShowMsgDlg(1, "OK", "", "", "m", "", parent_);
        ASSERT_TRUE(beepsWhenShown) << c.flag;
        EXPECT_EQ(*beepsWhenShown, c.beeps) << "flag " << c.flag;
        EXPECT_EQ(fw::BeepCount() - before, c.beeps) << "flag " << c.flag;
    }
}

TEST_F(MsgDlgTest, ShowMsgOKHasTheSingleButtonOK) {
    const int before = fw::BeepCount();
    ExpectPress("OK");
    ShowMsgOK("出力対象となる項目がありません。", "", parent_);
    ASSERT_EQ(fw::ModalHost::Shown().size(), 1u);
    const fw::ModalPrompt& shown = fw::ModalHost::Shown()[0];
    EXPECT_EQ(shown.kind, "message");
    EXPECT_EQ(shown.message, "出力対象となる項目がありません。");
    EXPECT_EQ(shown.explanation, "");
    EXPECT_EQ(shown.buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(fw::BeepCount() - before, 1);  // it beeps like every other message
}

TEST(FlagConversionTest, OnlyOneOrMoreIsTrue) {
    EXPECT_EQ(BoolToInt(true), 1);
    EXPECT_EQ(BoolToInt(false), 0);
    struct Case {
        int32_t v;
        bool b;
    };
    const Case cases[] = {{1, true}, {2, true}, {0, false}, {-1, false}, {INT32_MIN, false}};
    for (const Case& c : cases) EXPECT_EQ(IntToBool(c.v), c.b) << c.v;
}

TEST(SplitFileExtTest, CutsAtTheLastDot) {
    struct Case {
        std::string name, base, ext;
    };
    // ext starts as "keep": a name without a dot leaves it as the caller passed it.
    const Case cases[] = {
        {"index.html", "index", "html"},
        {"archive.tar.gz", "archive.tar", "gz"},
        {".htaccess", "", "htaccess"},
        {"readme.", "readme", ""},
        {"a..b", "a.", "b"},
        {"Makefile", "Makefile", "keep"},
        {"PHOTO.JPG", "PHOTO", "JPG"},
        {"", "", "keep"},
        {"日本語.テキスト", "日本語", "テキスト"},
        {" spaced . name ", " spaced ", " name "},
    };
    for (const Case& c : cases) {
        std::string base = "old", ext = "keep";
        SplitFileExt(c.name, base, ext);
        EXPECT_EQ(base, c.base) << c.name;
        EXPECT_EQ(ext, c.ext) << c.name;
    }
}

TEST(CalendarTest, DaysInMonthAndLeapYears) {
    struct Case {
        int32_t year, month, days;
    };
    const Case cases[] = {
        {2000, 2, 29},  {1900, 2, 28},  {2024, 2, 29}, {2023, 2, 28}, {2023, 4, 30},
        {2023, 12, 31}, {2023, 1, 31},  {2023, 6, 30}, {2023, 7, 31}, {2023, 8, 31},
        {2023, 9, 30},  {2023, 11, 30}, {2023, 0, 0},  {2023, 13, 0}, {2023, -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DaysInMonth(c.year, c.month), c.days) << c.year << "/" << c.month;

    const std::pair<int32_t, int32_t> leap[] = {{2000, 1}, {2024, 1}, {1900, 0}, {2023, 0},
                                                {2100, 0}, {2400, 1}, {0, 1},    {-4, 1}};
    for (auto [year, expected] : leap) EXPECT_EQ(IsLeapYear(year), expected) << year;
}

// The zone is the process's: each case sets TZ and the test puts the old value back.
class GmtOffsetTest : public testing::Test {
protected:
    void SetUp() override {
        if (const char* tz = getenv("TZ")) oldTz_ = tz;
    }
    void TearDown() override {
        if (oldTz_)
            setenv("TZ", oldTz_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        fw::Date::SetFixedNow(std::nullopt);
        ResetModuleState();
    }
    std::optional<std::string> oldTz_;
};

TEST_F(GmtOffsetTest, WholeHoursEastOfGreenwichAtTheCurrentDate) {
    struct Case {
        const char* zone;
        int64_t now;  // 2024-01-15 and 2024-07-15, 12:00 UTC
        int32_t hours;
    };
    const Case cases[] = {
        {"Asia/Tokyo", 1705320000, 9},        {"UTC", 1705320000, 0},
        {"Etc/GMT+5", 1705320000, -5},        {"Etc/GMT-14", 1705320000, 14},
        {"America/New_York", 1705320000, -5}, {"America/New_York", 1721044800, -4},
    };
    for (const Case& c : cases) {
        setenv("TZ", c.zone, 1);
        tzset();
        fw::Date::SetFixedNow(c.now);
        gGmtOffset = 99;
        InitGmtOffset();
        EXPECT_EQ(gGmtOffset, c.hours) << c.zone << " at " << c.now;
    }
}

}  // namespace
