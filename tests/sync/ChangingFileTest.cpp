// A file written to while it is sent, against real servers on 127.0.0.1:21: that file is passed
// over, the run goes on with the files after it, and the journal keeps the file for the next
// comparison, which ticks what stands at its name then. No copy spliced from the old bytes and the
// new stays on the server, whatever became of the file's name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "shell/CommonModule.h"
#include "tests/support/CaseNames.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

constexpr char kChangedLine[] = "送信中に変更されたため飛ばしました: ";
constexpr char kUnfinishedLine[] =
    "前回のアップロードが完了していないため、アップロード対象にしました: ";

// Large enough to go out in several pieces, so that it is written to while it is sent.
std::string LogBytes(char mark = 'a') {
    std::string bytes;
    while (bytes.size() < 12 * 1000 * 1000)
        bytes += std::string(1, mark) + " line of the log " + std::to_string(bytes.size()) + "\n";
    return bytes;
}

// How the file changes while it is sent, from the upload's progress events, given how often it
// has changed so far. Answers whether it changed the file this time.
struct Change {
    const char* name;
    std::function<bool(const std::string& path, int changesSoFar)> apply;
    bool leavesAFile = true;  // a file stands at its name afterwards
};

// A log being written: a line more at every piece sent.
bool Append(const std::string& path, int) {
    std::ofstream(path, std::ios::app) << "one more line\n";
    return true;
}

// An editor that keeps a file's date: the same number of bytes written over it in place, once,
// and its modification time put back. Only the change time tells.
bool RewriteInPlaceKeepingTheDate(const std::string& path, int changesSoFar) {
    struct stat before {};
    if (changesSoFar > 0 || stat(path.c_str(), &before) != 0) return false;
    const std::string now = LogBytes('b').substr(0, static_cast<size_t>(before.st_size));
    const int fd = open(path.c_str(), O_WRONLY);
    const bool written =
        fd >= 0 && pwrite(fd, now.data(), now.size(), 0) == static_cast<ssize_t>(now.size());
    if (fd >= 0) close(fd);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    return written && utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

// The same rewrite while the file gains a name beside it, as a hard-link snapshot (cp -al, a
// backup tool) of the folder taken meanwhile gives it.
bool RewriteInPlaceKeepingTheDateWhileLinked(const std::string& path, int changesSoFar) {
    if (!RewriteInPlaceKeepingTheDate(path, changesSoFar)) return false;
    const std::string snapshot = fs::path(path).parent_path().string() + "/.snapshot-log.bin";
    return link(path.c_str(), snapshot.c_str()) == 0;
}

// The rewrite, then the file removed before its upload ends: what was sent is the old bytes up to
// the rewrite and the new after it, and the file that was read has no name left.
bool RewriteInPlaceKeepingTheDateThenRemove(const std::string& path, int changesSoFar) {
    return RewriteInPlaceKeepingTheDate(path, changesSoFar) && unlink(path.c_str()) == 0;
}

// The rewrite, then another file saved over it (renamed onto its name) with the same size and the
// original date: only the journal can tick it at the next comparison.
bool RewriteInPlaceKeepingTheDateThenSaveOver(const std::string& path, int changesSoFar) {
    struct stat before {};
    if (changesSoFar > 0 || stat(path.c_str(), &before) != 0) return false;
    if (!RewriteInPlaceKeepingTheDate(path, changesSoFar)) return false;
    const std::string saved = path + ".saved";
    if (!testsupport::WriteFile(saved,
                                LogBytes('c').substr(0, static_cast<size_t>(before.st_size))))
        return false;
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    return utimensat(AT_FDCWD, saved.c_str(), times, 0) == 0 &&
           rename(saved.c_str(), path.c_str()) == 0;
}

void PrintTo(const Change& c, std::ostream* os) {
    *os << c.name;
}

const Change kChanges[] = {
    {"appended to", Append},
    {"rewritten in place keeping its date", RewriteInPlaceKeepingTheDate},
    {"rewritten in place keeping its date while it gains a name",
     RewriteInPlaceKeepingTheDateWhileLinked},
    {"rewritten in place keeping its date, then removed", RewriteInPlaceKeepingTheDateThenRemove,
     false},
    {"rewritten in place keeping its date, then saved over",
     RewriteInPlaceKeepingTheDateThenSaveOver},
};

class ChangingFile : public SyncWindowTest,
                     public testing::WithParamInterface<std::tuple<ServerKind, Change>> {
protected:
    void SetUp() override {
        SyncWindowTest::SetUp();
        if (IsSkipped()) return;
        StartServer(std::get<0>(GetParam()));
    }
};

TEST_P(ChangingFile, IsPassedOverAndTheRunGoesOnAndTheNextComparisonTicksIt) {
    const std::string log = LogBytes();
    MakeTree(localRoot, {{"a.txt", "a\n"}, {"log.bin", log}, {"z.txt", "z\n"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    // Changed from the upload's progress event, while it is sent.
    const Change& change = std::get<1>(GetParam());
    int changes = 0;
    ChangeWhileSent("log.bin", [&] {
        if (change.apply(localRoot + "log.bin", changes)) ++changes;
    });
    ExpectConfirmation("アップロード対象", {"a.txt", "log.bin", "z.txt"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript(60000)) << LogText() << server->Log();
    EXPECT_TRUE(Unexpected().empty());
    ASSERT_GT(changes, 0);
    EXPECT_EQ(LogLines(kChangedLine),
              std::vector<std::string>{kChangedLine + std::string("log.bin")});
    // The files after it went up; its partial file went, as after any broken upload.
    EXPECT_EQ(TreeOf(server->LocalRoot()), (Tree{{"a.txt", "a\n"}, {"z.txt", "z\n"}}))
        << server->Log();
    EXPECT_EQ(Get("uploading.txt"),
              "127.0.0.1\t" + server->User() + "\t" + server->RemoteRoot() + "/log.bin\n");

    // A newer copy on the server would keep it from being ticked by its date: the journal ticks
    // what stands at its name, if anything does.
    StopChangingWhileSent();
    ASSERT_TRUE(Click(TagDiscon));
    if (!change.leavesAFile) {
        ExpectPress("実行");
        ASSERT_TRUE(ConnectAndCompare()) << LogText();
        EXPECT_TRUE(LogLines(kUnfinishedLine).empty()) << LogText();
        for (const SyncEntry& e : w->pSyncL) EXPECT_FALSE(e.check) << e.path;
        EXPECT_EQ(TreeOf(server->LocalRoot()), (Tree{{"a.txt", "a\n"}, {"z.txt", "z\n"}}));
        return;
    }
    server->Put("log.bin", "newer, and not the file");
    ExpectPress("実行");  // the results of the earlier connection are cleared
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    EXPECT_EQ(LogLines(kUnfinishedLine),
              std::vector<std::string>{kUnfinishedLine + std::string("log.bin")});
    ExpectConfirmation("アップロード対象", {"log.bin"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript(60000)) << LogText() << server->Log();
    EXPECT_TRUE(testsupport::ReadFile(server->LocalRoot() + "/log.bin") ==
                testsupport::ReadFile(localRoot + "log.bin"));
    EXPECT_FALSE(Has("uploading.txt")) << Get("uploading.txt");
}

// The server refuses the DELE of the partial file: the refusal is logged, the run goes on, and
// the journal keeps the file.
class ChangingFileUndeletable : public SyncWindowTest {};

TEST_F(ChangingFileUndeletable, TheRunGoesOnPastARefusedDeleteOfThePartialFile) {
    StartServer(ServerKind::Pyftpdlib, {.permissions = "elrafmwMT"});  // no "d": no DELE
    MakeTree(localRoot, {{"log.bin", LogBytes()}, {"z.txt", "z\n"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    GrowWhileSent("log.bin");
    ExpectConfirmation("アップロード対象", {"log.bin", "z.txt"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript(60000)) << LogText() << server->Log();
    EXPECT_TRUE(Unexpected().empty());
    EXPECT_EQ(LogLines(kChangedLine).size(), 1u);
    EXPECT_EQ(LogLines("550 ").size(), 1u) << LogText();
    EXPECT_EQ(testsupport::ReadFile(server->LocalRoot() + "/z.txt"), "z\n");
    EXPECT_EQ(Get("uploading.txt"), "127.0.0.1\t" + server->User() + "\t/site/log.bin\n");
}

INSTANTIATE_TEST_SUITE_P(Servers, ChangingFile,
                         testing::Combine(testing::Values(ServerKind::Vsftpd,
                                                          ServerKind::Pyftpdlib),
                                          testing::ValuesIn(kChanges)),
                         [](const testing::TestParamInfo<std::tuple<ServerKind, Change>>& info) {
                             return KindName(std::get<0>(info.param)) +
                                    testsupport::CaseName(std::get<1>(info.param).name);
                         });

}  // namespace
}  // namespace synctest
