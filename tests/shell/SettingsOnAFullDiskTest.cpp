// The settings written at quit onto a disk that is full: a file that can't be written whole keeps
// its old content, and the user is told which one; the next start reads the old files as they
// were. The message gives the reason in Japanese.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/shell/ShellTestFixture.h"
#include "tests/support/SmallDisk.h"

namespace {

using namespace shelltest;

struct FullDisk {
    const char* name;
    int64_t freePages;                 // left when the quit begins
    std::vector<std::string> failing;  // the files reported, in the writers' order
};

void PrintTo(const FullDisk& c, std::ostream* os) {
    *os << c.name;
}

// "dataset2" and "filetype.txt" take two pages each: with one page free, "pref2" (208 bytes) is
// written, and the other two fail after their first page, as on a real disk. Both are under what
// a buffering writer holds back until it is closed.
class SettingsOnAFullDisk : public ShellTest, public testing::WithParamInterface<FullDisk> {
protected:
    static constexpr int kProfiles = 5;
    static constexpr int kFileTypes = 800;
};

TEST_P(SettingsOnAFullDisk, KeepTheOldFilesWholeAndAreReported) {
    const FullDisk& c = GetParam();
    MakeFolder();
    testsupport::SmallDisk disk(FolderPath(), 64 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    const int64_t page = testsupport::SmallDisk::PageSize();

    // The files of an earlier run.
    Put("pref2", PrefFile(50, DefaultPrefs()));
    std::string types;
    for (int i = 0; i < kFileTypes; ++i) types += "e" + std::to_string(i) + "\tI\n";
    Put("filetype.txt", types);
    NewApp();
    for (int i = 0; i < kProfiles; ++i) gDatasets.push_back(Profile("site" + std::to_string(i)));
    app().SaveSet2();
    EndRun();
    const std::vector<std::string> files = {"pref2", "dataset2", "filetype.txt"};
    std::vector<std::string> old;
    for (const std::string& name : files) old.push_back(Get(name));
    ASSERT_GT(static_cast<int64_t>(old[1].size()), page);
    ASSERT_GT(static_cast<int64_t>(old[2].size()), page);

    StartApp();
    ASSERT_EQ(gDatasets.size(), static_cast<size_t>(kProfiles));
    ASSERT_TRUE(fw::ModalHost::Shown().empty());
    gPref[30] = 99;  // changes of this run, which only a written file would hold
    gDatasets.push_back(Profile("new"));
    ASSERT_TRUE(disk.LeaveFree(c.freePages));
    for (size_t i = 0; i < c.failing.size(); ++i) ExpectPress("OK");
    app().Quit();
    fw::ProcessPendingEvents();
    ASSERT_TRUE(app().HasQuit());

    const std::vector<fw::ModalPrompt> boxes = Shown("msgbox");
    EXPECT_EQ(boxes.size(), c.failing.size());
    for (size_t i = 0; i < std::min(boxes.size(), c.failing.size()); ++i) {
        EXPECT_EQ(boxes[i].message,
                  "設定ファイル「" + c.failing[i] +
                      "」を保存できませんでした。（ディスクの空き容量が足りません）");
    }
    for (size_t i = 0; i < files.size(); ++i) {
        const bool failed =
            std::find(c.failing.begin(), c.failing.end(), files[i]) != c.failing.end();
        if (failed) {
            EXPECT_TRUE(Get(files[i]) == old[i])
                << files[i] << " now holds " << Get(files[i]).size() << " bytes";
        } else {
            EXPECT_NE(Get(files[i]), old[i]) << files[i] << " was not written";
        }
    }
    // No temporary file is left, and the disk has the space of the files that failed back.
    EXPECT_EQ(FolderNames(),
              (std::vector<std::string>{".filler", "dataset2", "filetype.txt", "pref2"}));
    EXPECT_EQ(disk.FreeBytes(), c.freePages * page);

    // The next start reads every profile and file type of the old files, and no damaged file.
    EndRun();
    disk.Empty();
    StartApp();
    EXPECT_EQ(fw::ModalHost::Shown().size(), boxes.size());
    EXPECT_EQ(gDatasets.size(), static_cast<size_t>(kProfiles));
    EXPECT_EQ(gFileTypes.size(), static_cast<size_t>(kFileTypes));
    EXPECT_EQ(gPref[30], c.failing.front() == "pref2" ? 0 : 99);
}

INSTANTIATE_TEST_SUITE_P(Disks, SettingsOnAFullDisk,
                         testing::Values(FullDisk{"Full", 0, {"pref2", "dataset2", "filetype.txt"}},
                                         FullDisk{"OnePageLeft", 1, {"dataset2", "filetype.txt"}}),
                         [](const testing::TestParamInfo<FullDisk>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
