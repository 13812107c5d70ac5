// Links in the local folder and files replaced after the comparison, against real servers on
// 127.0.0.1:21: nothing that a link out of the local folder leads to is compared or sent, and a
// run sends only the files the comparison found.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

namespace fs = std::filesystem;

constexpr char kOutsideLine[] = "ローカルフォルダの外を指すリンクのため比較から除外しました: ";
constexpr char kReplacedLine[] = "比較の後で置き換えられたファイルのため飛ばしました: ";

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
// another file (as an editor saves), a link inside the folder pointed elsewhere. None is sent,
// each is named in the log, and the run goes on with the others.
TEST_P(LocalLinks, AFileReplacedAfterTheComparisonIsNotSent) {
    MakeTree(localRoot, {{"a.html", "a"},
                         {"index.html", "index"},
                         {"other.html", "other"},
                         {"page.html", "page"},
                         {"z.html", "z"}});
    fs::create_symlink("page.html", localRoot + "link.html");
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();

    fs::remove(localRoot + "index.html");
    fs::create_symlink(base + "private/id_rsa", localRoot + "index.html");
    ASSERT_TRUE(testsupport::WriteFile(localRoot + "other.html.new", "other, saved again"));
    fs::rename(localRoot + "other.html.new", localRoot + "other.html");
    fs::remove(localRoot + "link.html");
    fs::create_symlink(base + "private/notes.txt", localRoot + "link.html");

    ExpectConfirmation("アップロード対象",
                       {"a.html", "index.html", "link.html", "other.html", "page.html", "z.html"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(WaitForScript()) << LogText() << server->Log();
    EXPECT_TRUE(Unexpected().empty());
    EXPECT_EQ(TreeOf(server->LocalRoot()),
              (Tree{{"a.html", "a"}, {"page.html", "page"}, {"z.html", "z"}}))
        << server->Log();
    EXPECT_EQ(LogLines(kReplacedLine),
              (std::vector<std::string>{std::string(kReplacedLine) + "index.html",
                                        std::string(kReplacedLine) + "link.html",
                                        std::string(kReplacedLine) + "other.html"}));
}

INSTANTIATE_TEST_SUITE_P(Servers, LocalLinks,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

}  // namespace
}  // namespace synctest
