// The log and the sync list saved over an older file on a disk with less room than the text
// needs, on a read-only one, or in a folder the user may not write to: the older file stays whole,
// nothing is left beside it, and the user is told why, in Japanese.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include "tests/support/AsAnOrdinaryUser.h"
#include "tests/support/SmallDisk.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

namespace fs = std::filesystem;

struct SavedText {
    const char* name;
    const char* suggested;
    std::function<void(Window1&, const std::string& line)> add;  // one line of the text
    std::function<void(Window1&)> save;
};

// The disk that the text can't be written to.
struct Disk {
    enum Refusal { Full, ReadOnly, NoPermission };
    const char* name;
    Refusal refusal;  // Full: one page is left free
    const char* reason;
};

void PrintTo(const SavedText& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(const Disk& d, std::ostream* os) {
    *os << d.name;
}

const Disk kDisks[] = {
    {"Full", Disk::Full, "ディスクの空き容量が足りません"},
    {"ReadOnly", Disk::ReadOnly, "読み取り専用のファイルシステムです"},
    {"NoPermission", Disk::NoPermission, "書き込み権限がありません"},
};

class SavedTextOnAFullDisk : public SyncWindowTest,
                             public testing::WithParamInterface<std::tuple<SavedText, Disk>> {};

// The text takes two pages, under what a buffering writer holds back until it is closed.
TEST_P(SavedTextOnAFullDisk, KeepsTheOlderFileAndIsReported) {
    const SavedText& c = std::get<0>(GetParam());
    const Disk& d = std::get<1>(GetParam());
    const std::string folder = std::string(getenv("XDG_DESKTOP_DIR")) + "/disk";
    testsupport::SmallDisk disk(folder, 64 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    const std::string target = folder + "/" + c.suggested + ".txt";
    const std::string older = "an older file\n";
    ASSERT_TRUE(testsupport::WriteFile(target, older));
    for (int i = 0; i < 100; ++i)
        c.add(*w, "226 一行目からの記録 " + std::to_string(i) + " の行をここに書き留めておく");
    switch (d.refusal) {
        case Disk::Full:
            ASSERT_TRUE(disk.LeaveFree(1));
            break;
        case Disk::ReadOnly:
            ASSERT_TRUE(disk.MakeReadOnly());
            break;
        case Disk::NoPermission:
            ASSERT_EQ(chmod(folder.c_str(), 0500), 0);
            break;
    }
    testsupport::AsAnOrdinaryUser ordinaryUser;
    ASSERT_TRUE(ordinaryUser.Active()) << ordinaryUser.Why();

    fw::ModalHost::ExpectStep([&](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.suggestedName, c.suggested);
        return fw::ModalAnswer::Choose(target);
    });
    fw::ModalHost::ExpectStep([&](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.message, "ファイルを保存できませんでした。");
        EXPECT_EQ(p.explanation, target + "\n" + d.reason);
        return fw::ModalAnswer::Press("OK");
    });
    c.save(*w);
    ASSERT_TRUE(WaitForScript(5000));
    EXPECT_EQ(fw::ModalHost::Shown().size(), 2u);
    EXPECT_TRUE(testsupport::ReadFile(target) == older)
        << "the file now holds " << fs::file_size(target) << " bytes";
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = {std::string(c.suggested) + ".txt"};
    if (d.refusal == Disk::Full) expected.insert(expected.begin(), ".filler");
    EXPECT_EQ(names, expected);
    if (d.refusal == Disk::Full) {
        EXPECT_EQ(disk.FreeBytes(), testsupport::SmallDisk::PageSize());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SavedTextOnAFullDisk,
    testing::Combine(testing::Values(SavedText{"Log", "log",
                                               [](Window1& w, const std::string& line) {
                                                   w.updateStatus(line);
                                               },
                                               [](Window1& w) { w.SaveLog(); }},
                                     SavedText{"SyncList", "sync",
                                               [](Window1& w, const std::string& line) {
                                                   w.SetSyncResult(line);
                                               },
                                               [](Window1& w) { w.SaveSyncList(); }}),
                     testing::ValuesIn(kDisks)),
    [](const testing::TestParamInfo<std::tuple<SavedText, Disk>>& info) {
        return std::string(std::get<0>(info.param).name) + "On" + std::get<1>(info.param).name;
    });

}  // namespace
}  // namespace synctest
