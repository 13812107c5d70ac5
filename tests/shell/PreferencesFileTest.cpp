// The preference table's defaults and its file "pref2": a count (the last slot index stored), then
// one big-endian 32-bit value per slot.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/shell/ShellTestFixture.h"

namespace {

using namespace shelltest;

class PreferencesFileTest : public ShellTest {
protected:
    // InitPref then LoadPref, as start-up runs them.
    void Load() {
        NewApp().InitPref();
        app().LoadPref();
    }
};

TEST_F(PreferencesFileTest, SaveOfTheDefaultsIs208Bytes) {
    MakeFolder();
    NewApp().InitPref();
    app().SavePref();
    std::string expected = Int32(50);
    for (int i = 0; i < 10; ++i) expected += Int32(0);
    for (int i = 0; i < 10; ++i) expected += Int32(1);
    for (int i = 0; i < 31; ++i) expected += Int32(0);
    ASSERT_EQ(expected.size(), 208u);
    EXPECT_EQ(Get("pref2"), expected);
    EXPECT_EQ(ModeOf(PathOf("pref2")), 0600u);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"pref2"});  // no temporary file left
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

TEST_F(PreferencesFileTest, EverySlotRoundTripsIncludingNegativeValues) {
    MakeFolder();
    std::vector<int32_t> values(kPrefSlotCount);
    for (int i = 0; i < kPrefSlotCount; ++i) values[i] = (i % 2 ? -1 : 1) * (i * 1000 + 17);
    values[0] = 0x01020304;
    values[5] = INT32_MIN;
    values[50] = INT32_MAX;
    std::copy(values.begin(), values.end(), gPref.begin());
    NewApp().SavePref();

    const std::string bytes = Get("pref2");
    ASSERT_EQ(bytes.size(), 208u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\0\0\0\x32\x01\x02\x03\x04", 8));  // big-endian
    EXPECT_EQ(bytes, PrefFile(50, values));

    ResetModuleState();
    Load();
    EXPECT_EQ(CurrentPrefs(), values);
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

// Files the program does not write itself: what loads, and whether the file counts as damaged (a
// message naming it and a copy kept aside, since the next quit replaces it).
TEST_F(PreferencesFileTest, StoredCountsAndShortFiles) {
    std::vector<int32_t> stored(61);
    for (int i = 0; i < 61; ++i) stored[i] = 100 + i;
    auto first = [&](int n) { return std::vector<int32_t>(stored.begin(), stored.begin() + n); };
    // The defaults with slots 0 to n - 1 from the file.
    auto loaded = [&](int n) {
        std::vector<int32_t> v = DefaultPrefs();
        std::copy(stored.begin(), stored.begin() + n, v.begin());
        return v;
    };
    struct Case {
        const char* what;
        std::string file;
        std::vector<int32_t> prefs;
        bool damaged;
    };
    const Case cases[] = {
        {"count 13", PrefFile(13, first(14)), loaded(14), false},
        {"count 0", PrefFile(0, first(1)), loaded(1), false},
        {"bytes after the last value", PrefFile(50, first(51)) + "trailing", loaded(51), false},
        {"count 13 in a full file", PrefFile(13, first(51)), loaded(14), false},
        // This program always writes 50: surplus values are kept aside, not silently lost, and
        // a negative count is no count it writes either.
        {"count -1", PrefFile(-1, {}), DefaultPrefs(), true},
        {"count -1000", PrefFile(-1000, first(3)), DefaultPrefs(), true},
        {"count -2147483648", PrefFile(INT32_MIN, first(51)), DefaultPrefs(), true},
        {"count 60", PrefFile(60, first(61)), loaded(51), true},
        {"count 60 and only 51 values", PrefFile(60, first(51)), loaded(51), true},
        {"count 50 and only 20 values", PrefFile(50, first(20)), loaded(20), true},
        {"ends inside a value", PrefFile(50, first(5)) + std::string("\0\0", 2), loaded(5), true},
        {"ends inside the count", std::string("\0\0", 2), DefaultPrefs(), true},
        {"empty", "", DefaultPrefs(), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(FolderPath());
        Put("pref2", c.file);
        ResetModuleState();
        fw::ModalHost::BeginScript();
        if (c.damaged) ExpectPress("OK");
        Load();
        EXPECT_EQ(CurrentPrefs(), c.prefs);
        const auto boxes = Shown("msgbox");
        ASSERT_EQ(boxes.size(), c.damaged ? 1u : 0u);
        EXPECT_EQ(fw::ModalHost::Shown().size(), boxes.size());
        if (c.damaged) {
            EXPECT_NE(boxes[0].message.find("pref2"), std::string::npos) << boxes[0].message;
            EXPECT_EQ(Get("pref2.bak"), c.file);
            EXPECT_EQ(ModeOf(PathOf("pref2.bak")), 0600u);
        } else {
            EXPECT_FALSE(Has("pref2.bak"));
        }
        EXPECT_EQ(Get("pref2"), c.file);  // loading never changes the file
    }
}

TEST_F(PreferencesFileTest, AFolderInPlaceOfTheFileIsReportedAndTheDefaultsStand) {
    fs::create_directories(PathOf("pref2"));
    ExpectPress("OK");
    Load();
    EXPECT_EQ(CurrentPrefs(), DefaultPrefs());
    const auto boxes = Shown("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].message.find("pref2"), std::string::npos);
}

TEST_F(PreferencesFileTest, MissingFolderCreatesItSilentlyAndPrivate) {
    Load();
    EXPECT_TRUE(fs::is_directory(FolderPath()));
    EXPECT_EQ(ModeOf(FolderPath()), 0700u);
    EXPECT_TRUE(FolderNames().empty());
    EXPECT_EQ(CurrentPrefs(), DefaultPrefs());
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

TEST_F(PreferencesFileTest, MissingPreferencesFolderItselfIsCreatedToo) {
    fs::remove_all(ConfigHome());
    Load();
    EXPECT_TRUE(fs::is_directory(FolderPath()));
    EXPECT_EQ(ModeOf(FolderPath()), 0700u);
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

TEST_F(PreferencesFileTest, FolderWithoutTheFileSaysSoOnce) {
    MakeFolder();
    ExpectPress("OK");
    Load();
    ASSERT_EQ(fw::ModalHost::Shown().size(), 1u);
    EXPECT_EQ(fw::ModalHost::Shown()[0].kind, "msgbox");
    EXPECT_EQ(fw::ModalHost::Shown()[0].message,
              "初期設定ファイルがありません。デフォルトの設定で起動します。");
    EXPECT_EQ(CurrentPrefs(), DefaultPrefs());
    EXPECT_FALSE(Has("pref2"));  // written only at quit
}

TEST_F(PreferencesFileTest, SaveWithoutTheFolderWritesNothingAndSaysNothing) {
    NewApp().InitPref();
    app().SavePref();
    EXPECT_FALSE(fs::exists(FolderPath()));
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

TEST_F(PreferencesFileTest, FailedSaveIsReportedAndKeepsTheOldFile) {
    fs::create_directories(PathOf("pref2"));  // a folder in the way: the file can't replace it
    NewApp().InitPref();
    ExpectPress("OK");
    app().SavePref();
    const auto boxes = Shown("msgbox");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].message.find("pref2"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(PathOf("pref2")));
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"pref2"});  // the temporary file is gone
}

}  // namespace
