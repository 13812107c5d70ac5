// The journal of uploads under way on a settings folder whose disk fills during a run, against a
// real server on 127.0.0.1:21 that dies mid-upload: the journal's write at the end of the run
// fails, the journal keeps what it held (the upload that broke off among it), the log says so,
// and the next comparison after the server's restart still ticks the file.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>

#include "shell/CommonModule.h"
#include "shell/SettingsFolder.h"
#include "sync/UploadJournal.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TestFiles.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

namespace fs = std::filesystem;

constexpr char kUnfinishedLine[] =
    "前回のアップロードが完了していないため、アップロード対象にしました: ";
constexpr char kUnwrittenLine[] = "アップロード中の記録を書き込めませんでした: ";

// The entries another profile's broken run left: more than a page of the disk, so that the
// journal of this run needs two.
std::string OtherSitesEntries() {
    std::string lines;
    for (int i = 0; i < 60; ++i)
        lines += "ftp.other.example\tother\t/www/a-page-of-the-other-site-with-a-long-name-" +
                 std::to_string(i) + ".html\n";
    return lines;
}

// Before a STOR: an entry whose write ran out of room is not taken as written (the run names the
// file in the log), and the journal keeps the entries it held.
TEST(JournalOnAFullDiskAlone, AnEntryThatRanOutOfRoomIsNotTakenAsWritten) {
    EnsureSettingsFolder();
    testsupport::SmallDisk disk(SettingsFolder().Path(), 64 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << disk.Why();
    const std::string journal = SettingsFolder().Child("uploading.txt").Path();
    const std::string others = OtherSitesEntries();
    ASSERT_TRUE(testsupport::WriteFile(journal, others));
    ASSERT_TRUE(disk.LeaveFree(1));

    UploadJournal uploads;
    EXPECT_FALSE(
        uploads.Enter({"127.0.0.1", "user", "/site/a"}, {{"127.0.0.1", "user", "/site/b"}}));
    EXPECT_TRUE(testsupport::ReadFile(journal) == others)
        << "the journal now holds " << fs::file_size(journal) << " bytes";
    EXPECT_EQ(UploadJournal::Unfinished("ftp.other.example", "other").size(), 60u);
    EXPECT_TRUE(UploadJournal::Unfinished("127.0.0.1", "user").empty());

    // With room again, the next write holds it.
    disk.Empty();
    EXPECT_TRUE(uploads.Enter({"127.0.0.1", "user", "/site/b"}, {}));
    EXPECT_EQ(UploadJournal::Unfinished("127.0.0.1", "user"),
              (std::vector<std::string>{"/site/a", "/site/b"}));
}

class JournalOnAFullDisk : public SyncWindowTest {
protected:
    void SetUp() override {
        SyncWindowTest::SetUp();
        if (IsSkipped()) return;
        disk_ = std::make_unique<testsupport::SmallDisk>(FolderPath(), 64 * 1024);
        if (!disk_->Mounted()) GTEST_SKIP() << disk_->Why();
    }
    std::unique_ptr<testsupport::SmallDisk> disk_;
};

// An entry that can't be written before its STOR is named in the log with the reason; the upload
// goes on.
TEST_F(JournalOnAFullDisk, AnEntryThatCantBeWrittenIsLoggedWithTheReason) {
    MakeTree(localRoot, {{"small.txt", "s\n"}});
    StartServer(ServerKind::Pyftpdlib);
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ASSERT_TRUE(disk_->LeaveFree(0));
    gPref[PrefConfirmSync] = 0;
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript(60000)) << LogText();
    EXPECT_EQ(LogLines(kUnwrittenLine),
              std::vector<std::string>{kUnwrittenLine + server->RemoteRoot() +
                                       "/small.txt（ディスクの空き容量が足りません）"});
    EXPECT_EQ(testsupport::ReadFile(server->LocalRoot() + "/small.txt"), "s\n");
}

TEST_F(JournalOnAFullDisk, KeepsTheUploadThatBrokeOffWhenItCantBeWritten) {
    const std::string big = testsupport::ScrambledBytes(12 * 1000 * 1000, 54321);
    MakeTree(localRoot, {{"big.bin", big}, {"small.txt", "s\n"}});
    const std::string others = OtherSitesEntries();
    ASSERT_GT(static_cast<int64_t>(others.size()), testsupport::SmallDisk::PageSize());
    ASSERT_TRUE(testsupport::WriteFile(PathOf("uploading.txt"), others));
    testsupport::TempFolder served("served");
    StartServer(ServerKind::Pyftpdlib, {.pyftpdlibRoot = served.Path()});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    // The upload of big.bin is under way, its entry on disk, when the disk fills up, leaving less
    // than the journal needs; then the server dies.
    gPref[PrefConfirmSync] = 0;
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(
        testsupport::WaitUntil([&] { return w->totalBytes >= 3'200'000 || !w->pRun.Uploading(); }));
    ASSERT_GE(w->totalBytes, 3'200'000) << LogText();
    const std::string journal = Get("uploading.txt");
    ASSERT_EQ(journal,
              others + "127.0.0.1\tuser\t/site/big.bin\n127.0.0.1\tuser\t/site/small.txt\n");
    ASSERT_TRUE(disk_->LeaveFree(1));
    ExpectStopped("");
    server->Signal(SIGKILL);
    ASSERT_TRUE(WaitForScript()) << LogText();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Enabled(TagConnect); }));
    server.reset();

    EXPECT_TRUE(Get("uploading.txt") == journal)
        << "the journal now holds " << Get("uploading.txt").size() << " bytes";
    EXPECT_EQ(LogLines(kUnwrittenLine),
              std::vector<std::string>{kUnwrittenLine + PathOf("uploading.txt") +
                                       "（ディスクの空き容量が足りません）"});
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{".filler", "uploading.txt"}));
    const std::string onServer = served.Path() + "/site/big.bin";
    ASSERT_LT(fs::file_size(onServer), big.size()) << "the server kept a partial file";

    // After the restart, big.bin is ticked again, though the server's partial copy is newer.
    StartServer(ServerKind::Pyftpdlib, {.pyftpdlibRoot = served.Path()});
    ExpectPress("実行");  // the results of the earlier connection are cleared
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    for (const SyncEntry& e : w->pSyncL) EXPECT_TRUE(e.check) << e.name << "\n" << LogText();
    EXPECT_EQ(LogLines(kUnfinishedLine),
              std::vector<std::string>{std::string(kUnfinishedLine) + "big.bin"});

    // With room again, the next sync sends it whole, and the journal keeps only the other site's.
    disk_->Empty();
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript(60000)) << LogText();
    EXPECT_TRUE(testsupport::ReadFile(onServer) == big) << fs::file_size(onServer);
    EXPECT_EQ(Get("uploading.txt"), others);
    EXPECT_TRUE(Unexpected().empty());
}

}  // namespace
}  // namespace synctest
