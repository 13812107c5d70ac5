// Links in the local folder and files replaced after the comparison, against real servers on
// 127.0.0.1:21: nothing that a link out of the local folder leads to is compared or sent, and a
// run sends only the files the comparison found.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "shell/CommonModule.h"
#include "tests/support/FolderOpenHook.h"
#include "tests/support/LinkFlipper.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

namespace fs = std::filesystem;

constexpr char kOutsideLine[] = "ローカルフォルダの外を指すリンクのため比較から除外しました: ";
constexpr char kReplacedLine[] = "比較の後で置き換えられたファイルのため飛ばしました: ";
constexpr char kMovedOutLine[] =
    "比較の後でローカルフォルダの外へ移動されたファイルのため飛ばしました: ";
constexpr char kScanReplacedLine[] = "比較中に移動または置き換えられたため比較から除外しました: ";
constexpr char kKey[] = "PRIVATE KEY";

class LocalLinks : public SyncWindowTest, public testing::WithParamInterface<ServerKind> {
protected:
    void SetUp() override {
        SyncWindowTest::SetUp();
        if (IsSkipped()) return;
        StartServer(GetParam());
        // Beside the local folder: what no link may bring onto the server.
        base = fs::path(localRoot).parent_path().parent_path().string() + "/";
        MakeTree(base + "private", {{"id_rsa", "PRIVATE KEY"}, {"notes.txt", "notes"}});
    }
    // The server's files that hold any byte of what lies beside the local folder.
    std::vector<std::string> ServerFilesFromOutside() const {
        std::vector<std::string> found;
        for (const auto& [path, bytes] : TreeOf(server->LocalRoot()))
            if (bytes.find(kKey) != std::string::npos || bytes == "notes") found.push_back(path);
        return found;
    }
    std::vector<std::string> SortedLogLines(const std::string& prefix) const {
        std::vector<std::string> lines = LogLines(prefix);
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    std::string base;  // the folder that holds the local folder, ending in "/"
};

TEST_P(LocalLinks, NothingALinkOutOfTheLocalFolderLeadsToIsComparedOrSent) {
    MakeTree(localRoot, {{"index.html", "index"},
                         {"real", kFolder},
                         {"real/page.html", "page"},
                         {"sub", kFolder},
                         {"sub/a.txt", "a"}});
    fs::create_directory_symlink(base + "private", localRoot + "backup");
    fs::create_symlink(base + "private/id_rsa", localRoot + "key.txt");
    fs::create_directory_symlink("../../private", localRoot + "sub/private");
    // Links inside the folder, one of them by the folder's own path.
    fs::create_directory_symlink(localRoot + "real", localRoot + "alias");
    fs::create_symlink("real/page.html", localRoot + "link.html");
    // The profile names the local folder through a link.
    fs::create_directory_symlink(localRoot, base + "site-link");
    localRoot = base + "site-link/";
    server->Put("backup/old.txt", "old");  // not to be removed for a link's sake
    FillEditPage(*server, true, 1);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    EXPECT_EQ(SortedLogLines(kOutsideLine),
              (std::vector<std::string>{kOutsideLine + localRoot + "backup/",
                                        kOutsideLine + localRoot + "key.txt",
                                        kOutsideLine + localRoot + "sub/private/"}));
    for (const SyncEntry& e : w->pSyncL) {
        EXPECT_EQ(e.path.find("id_rsa"), std::string::npos) << e.path;
        EXPECT_EQ(e.path.find("notes.txt"), std::string::npos) << e.path;
    }

    ExpectConfirmation("アップロード対象", {"alias", "alias/page.html", "index.html", "link.html",
                                            "real", "real/page.html", "sub", "sub/a.txt"});
    ExpectConfirmation("削除対象", {});
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript()) << LogText() << server->Log();
    EXPECT_TRUE(Unexpected().empty());
    EXPECT_EQ(TreeOf(server->LocalRoot()), (Tree{{"alias", kFolder},
                                                 {"alias/page.html", "page"},
                                                 {"backup", kFolder},
                                                 {"backup/old.txt", "old"},
                                                 {"index.html", "index"},
                                                 {"link.html", "page"},
                                                 {"real", kFolder},
                                                 {"real/page.html", "page"},
                                                 {"sub", kFolder},
                                                 {"sub/a.txt", "a"}}))
        << server->Log();
}

// Between the comparison and 同期: a file replaced by a link to a private key, one replaced by
// another file (as an editor saves), a link inside the folder pointed elsewhere; a folder, and a
// link's target, moved out of the local folder with a link left in their place, so that the very
// files the comparison found are reached outside. None is sent, each is named in the log, as
// replaced or as moved out, and the run goes on with the others.
TEST_P(LocalLinks, AFileReplacedAfterTheComparisonIsNotSent) {
    MakeTree(localRoot, {{"a.html", "a"},
                         {"index.html", "index"},
                         {"other.html", "other"},
                         {"page.html", "page"},
                         {"real", kFolder},
                         {"real/page2.html", "page2"},
                         {"sub", kFolder},
                         {"sub/a.html", "sub a"},
                         {"z.html", "z"}});
    fs::create_symlink("page.html", localRoot + "link.html");
    fs::create_symlink("real/page2.html", localRoot + "link2.html");
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    fs::remove(localRoot + "index.html");
    fs::create_symlink(base + "private/id_rsa", localRoot + "index.html");
    ASSERT_TRUE(testsupport::WriteFile(localRoot + "other.html.new", "other, saved again"));
    fs::rename(localRoot + "other.html.new", localRoot + "other.html");
    fs::remove(localRoot + "link.html");
    fs::create_symlink(base + "private/notes.txt", localRoot + "link.html");
    fs::rename(localRoot + "sub", base + "sub-moved");
    fs::create_directory_symlink(base + "sub-moved", localRoot + "sub");
    fs::rename(localRoot + "real/page2.html", base + "page2-moved.html");
    fs::create_symlink(base + "page2-moved.html", localRoot + "real/page2.html");

    ExpectConfirmation("アップロード対象",
                       {"a.html", "index.html", "link.html", "link2.html", "other.html",
                        "page.html", "real", "real/page2.html", "sub", "sub/a.html", "z.html"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript()) << LogText() << server->Log();
    EXPECT_TRUE(Unexpected().empty());
    EXPECT_EQ(TreeOf(server->LocalRoot()), (Tree{{"a.html", "a"},
                                                 {"page.html", "page"},
                                                 {"real", kFolder},
                                                 {"sub", kFolder},
                                                 {"z.html", "z"}}))
        << server->Log();
    std::vector<std::string> replaced;
    for (const char* name : {"index.html", "link.html", "other.html"})
        replaced.push_back(kReplacedLine + std::string(name));
    EXPECT_EQ(LogLines(kReplacedLine), replaced);
    // The very files the comparison found, lying outside now (link2.html leads to one of them).
    std::vector<std::string> movedOut;
    for (const char* name : {"link2.html", "real/page2.html", "sub/a.html"})
        movedOut.push_back(kMovedOutLine + std::string(name));
    EXPECT_EQ(LogLines(kMovedOutLine), movedOut);
}

// The comparison's scan has listed the local folder and is reading aaa/ when sub/ is moved away
// and a link to a folder outside, holding a private key, takes its place: the scan does not go
// into it, and 同期 sends nothing of it.
TEST_P(LocalLinks, AFolderSwappedForALinkOutDuringTheScanIsNotGoneInto) {
    MakeTree(localRoot, {{"aaa", kFolder},
                         {"aaa/a.html", "a"},
                         {"sub", kFolder},
                         {"sub/page.html", "page"},
                         {"z.html", "z"}});
    testsupport::FolderOpenHook whileAaaIsOpened(localRoot + "aaa", [this] {
        fs::rename(localRoot + "sub", base + "sub-away");
        fs::create_directory_symlink(base + "private", localRoot + "sub");
    });
    if (!whileAaaIsOpened.Available()) GTEST_SKIP() << "needs fanotify (root)";
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ASSERT_TRUE(whileAaaIsOpened.Fired());
    EXPECT_EQ(LogLines(kScanReplacedLine),
              (std::vector<std::string>{kScanReplacedLine + localRoot + "sub/"}));
    for (const SyncEntry& e : w->pSyncL) {
        EXPECT_EQ(e.path.find("id_rsa"), std::string::npos) << e.path;
        EXPECT_FALSE(e.check && e.path.rfind(localRoot + "sub/", 0) == 0) << e.path;
    }

    ExpectConfirmation("アップロード対象", {"aaa", "aaa/a.html", "z.html"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript()) << LogText() << server->Log();
    EXPECT_TRUE(Unexpected().empty());
    EXPECT_EQ(TreeOf(server->LocalRoot()),
              (Tree{{"aaa", kFolder}, {"aaa/a.html", "a"}, {"z.html", "z"}}))
        << server->Log();
}

// Links swapped again and again, by threads beside the program, between files and a folder inside
// the local folder and a private key and its folder outside, while the comparison runs; then left
// pointing outside. Whatever each comparison saw of each link, 同期 sends no byte from outside, and
// goes on with the other files. A few rounds, since what a comparison sees is left to chance.
TEST_P(LocalLinks, LinksSwappedDuringTheComparisonSendNothingFromOutside) {
    constexpr int kLinks = 32;
    constexpr int kSwappingThreads = 8;
    constexpr int kRounds = 3;
    MakeTree(localRoot, {{"index.html", "index"},
                         {"page.html", "page"},
                         {"real", kFolder},
                         {"real/inside.html", "inside"}});
    // Files without an extension go as binary, without a question: a key the run would send is
    // then found on the server.
    gFileTypes.push_back({"", "I"});
    FillEditPage(*server, true);
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<std::pair<std::string, std::string>> pairs;
        for (int i = 0; i < kLinks; ++i) {
            // Named as pages, so that the links themselves bring no question either.
            const bool folder = i % 4 == 3;
            const std::string page = "l" + std::to_string(100 + i) + (folder ? "" : ".html");
            // Each link in a folder of its own, swapped with a hidden name beside it that the
            // comparison does not look at: the swaps of different links never wait on each other.
            const std::string folderOfLink = localRoot + "f" + std::to_string(100 + i) + "/";
            fs::create_directories(folderOfLink);
            const std::string name = folderOfLink + page;
            const std::string alternate = folderOfLink + "." + page;
            fs::remove(name);
            fs::remove(alternate);
            if (folder) {
                fs::create_directory_symlink(localRoot + "real", name);
                fs::create_directory_symlink(base + "private", alternate);
            } else {
                fs::create_symlink(localRoot + "page.html", name);
                fs::create_symlink(base + "private/id_rsa", alternate);
            }
            pairs.emplace_back(name, alternate);
        }
        // One file sent in every round, so that every run has something to send.
        MakeTree(localRoot, {{"zz" + std::to_string(round) + ".html", "z"}});
        if (round > 0) {
            ASSERT_TRUE(Click(TagDiscon));
            ExpectPress("実行");  // the results of the earlier connection are cleared
        }
        testsupport::LinkFlipper flipper(pairs, kSwappingThreads);
        const unsigned swapsBefore = flipper.Swaps();
        ASSERT_TRUE(ConnectAndCompare()) << LogText();
        // Counted before Stop, whose own swaps leave the links pointing outside.
        const unsigned swapsWhileComparing = flipper.Swaps() - swapsBefore;
        flipper.Stop();
        ASSERT_GT(swapsWhileComparing, 0u);

        fw::ModalHost::ExpectStep(
            [](const fw::ModalPrompt&) { return fw::ModalAnswer::Press("実行"); });
        fw::ModalHost::ExpectStep([](const fw::ModalPrompt& p) {
            EXPECT_EQ(p.message, "同期が終了しました。 [dat]");
            return fw::ModalAnswer::Press("OK");
        });
        ASSERT_TRUE(Click(TagSync));
        ASSERT_TRUE(WaitForScript()) << LogText() << server->Log();
        ASSERT_TRUE(Unexpected().empty());
        ASSERT_EQ(ServerFilesFromOutside(), std::vector<std::string>{}) << LogText();
        const Tree onServer = TreeOf(server->LocalRoot());
        for (const std::string& name :
             std::vector<std::string>{"index.html", "page.html", "real/inside.html",
                                      "zz" + std::to_string(round) + ".html"})
            EXPECT_EQ(onServer.count(name), 1u) << name << "\n" << LogText();
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, LocalLinks,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

}  // namespace
}  // namespace synctest
