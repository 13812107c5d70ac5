// The whole comparison against real servers, passive and active: the remote walk through the
// client, the local scan, the marks, and both lists as they are shown.
#include <gtest/gtest.h>

#include <filesystem>

#include "compare/LocalScan.h"
#include "tests/compare/CompareWindow.h"
#include "tests/compare_core/UnreadableFolder.h"
#include "tests/ftp/RealFtpServer.h"

namespace {

namespace fs = std::filesystem;

class WalkOnRealServer : public testing::TestWithParam<ServerAndMode> {
protected:
    void SetUp() override {
        server = std::make_unique<RealFtpServer>(GetParam().kind);
        local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/local/";
        fs::create_directories(local);
    }
    void TearDown() override {
        if (HasFailure()) ADD_FAILURE() << "server log:\n" << server->Log();
    }
    void Remote(const std::string& name, time_t stamp = kSameStamp) {
        server->Put("site/" + name, "remote " + name);
        SetStamp(server->Local("site/" + name), stamp);
    }
    void Local(const std::string& name, time_t stamp = kSameStamp) {
        ASSERT_TRUE(testsupport::WriteFile(local + name, "local " + name));
        SetStamp(local + name, stamp);
    }
    CompareWindow::Connection Connection(const std::string& remoteFolder) const {
        return {server->Port(),
                server->User(),
                server->Password(),
                GetParam().passive,
                remoteFolder,
                local,
                ""};
    }

    std::unique_ptr<RealFtpServer> server;
    std::string local;
};

TEST_P(WalkOnRealServer, ComparesATreeAndShowsBothSides) {
    server->PutDir("site");
    Remote("index.html");
    Remote("about us.html");
    Remote(".htaccess");
    server->PutDir("site/img");
    Remote("img/logo.png");
    Remote("img/old.png");
    server->PutDir("site/日本語");
    Remote("日本語/ページ.html");
    server->PutDir("site/gone");
    Remote("gone/a.txt");
    server->PutDir("site/locked");
    Remote("locked/x.txt");

    Local("index.html");
    Local("news.html");
    fs::create_directories(local + "img");
    Local("img/logo.png");
    Local("img/new.png");
    fs::create_directories(local + "日本語");
    Local("日本語/ページ.html", kNewerStamp);
    fs::create_directories(local + ".git");
    Local(".git/config");
    fs::create_directories(local + "new folder");
    Local("new folder/a b.txt");
    fs::create_directory_symlink(".", local + "loop");
    UnreadableFolder locked(local + "locked");

    CompareWindow cw;
    ASSERT_TRUE(cw.Compare(Connection(server->Remote("site"))));
    Window1& w = *cw.w;

    // The remote root is the folder the server named; its entries hang below it.
    const std::string root = server->Remote("site");
    EXPECT_EQ(w.pRootR, root);
    ASSERT_GE(w.pSyncR.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(w.pSyncR[i].group, 0);
        EXPECT_EQ(w.pSyncR[i].path, root + "/" + w.pSyncR[i].name);
    }
    EXPECT_EQ(CompareWindow::Find(w.pSyncR, root + "/.htaccess"), nullptr);
    const SyncEntry* about = CompareWindow::Find(w.pSyncR, root + "/about us.html");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->size, "20 bytes");
    EXPECT_EQ(about->date, "2020/06/15 23:59");

    EXPECT_EQ(CompareWindow::Marked(w.pSyncL, local),
              (std::set<std::string>{"img/new.png", "new folder/", "new folder/a b.txt",
                                     "news.html", "日本語/ページ.html"}));
    EXPECT_EQ(CompareWindow::Marked(w.pSyncR, root + "/"),
              (std::set<std::string>{"about us.html", "gone", "gone/a.txt", "img/old.png"}));
    EXPECT_TRUE(cw.Logged(LocalScan::UnreadableText(local + "locked/")));
    EXPECT_TRUE(cw.Logged(LocalScan::LinkCycleText(local + "loop/")));

    EXPECT_EQ(
        CompareWindow::Outline(*w.remoteListBox),
        (std::vector<std::string>{"[x] about us.html", "[x] gone", "  [x] a.txt", "[ ] img",
                                  "  [ ] logo.png", "  [x] old.png", "[ ] index.html", "[ ] locked",
                                  "  [ ] x.txt", "[ ] 日本語", "  [ ] ページ.html"}));
    EXPECT_EQ(
        CompareWindow::Outline(*w.localListBox),
        (std::vector<std::string>{"[ ] img", "  [ ] logo.png", "  [x] new.png", "[ ] index.html",
                                  "[ ] locked", "[ ] loop", "[x] new folder", "  [x] a b.txt",
                                  "[x] news.html", "[ ] 日本語", "  [x] ページ.html"}));
}

// vsftpd's anonymous user cannot enter a folder it has no permission for; pyftpdlib, running as
// the test's user, enters every folder.
class WalkOnVsftpd : public WalkOnRealServer {};

TEST_P(WalkOnVsftpd, ARefusedFolderIsLeftOutAndTheWalkGoesOn) {
    server->PutDir("site");
    server->PutDir("site/closed");
    Remote("closed/inside.txt");
    server->PutDir("site/open");
    Remote("open/page.html");
    fs::permissions(server->Local("site/closed"), fs::perms::none);
    fs::create_directories(local + "closed");
    Local("closed/mine.txt");

    CompareWindow cw;
    ASSERT_TRUE(cw.Compare(Connection(server->Remote("site"))));
    fs::permissions(server->Local("site/closed"), fs::perms::owner_all);
    Window1& w = *cw.w;
    const std::string root = server->Remote("site");
    const SyncEntry* closed = CompareWindow::Find(w.pSyncR, root + "/closed");
    ASSERT_NE(closed, nullptr);
    EXPECT_TRUE(closed->opaque);
    EXPECT_EQ(closed->childCount, 0);
    EXPECT_NE(CompareWindow::Find(w.pSyncR, root + "/open/page.html"), nullptr);
    EXPECT_TRUE(cw.Logged("サーバーで一覧できないため比較から除外しました: " + root + "/closed"));
    // Nothing below a folder the server would not show is uploaded or deleted.
    EXPECT_EQ(CompareWindow::Marked(w.pSyncL, local), std::set<std::string>{});
    EXPECT_EQ(CompareWindow::Marked(w.pSyncR, root + "/"),
              (std::set<std::string>{"open", "open/page.html"}));
}

TEST_P(WalkOnRealServer, AnEmptyLocalRootMarksNothingForDeletion) {
    server->PutDir("site");
    Remote("index.html");
    server->PutDir("site/img");
    Remote("img/logo.png");

    CompareWindow cw;
    ASSERT_TRUE(cw.Compare(Connection(server->Remote("site"))));
    Window1& w = *cw.w;
    EXPECT_EQ(w.pSyncR.size(), 3u);
    EXPECT_TRUE(w.pSyncL.empty());
    EXPECT_EQ(CompareWindow::Marked(w.pSyncR, ""), std::set<std::string>{});
    EXPECT_TRUE(cw.Logged("ローカルフォルダが空のため、削除の指定はしません。"));
    EXPECT_EQ(w.remoteListBox->ListCount(), 3);
    EXPECT_EQ(w.localListBox->ListCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Servers, WalkOnRealServer, EveryServerAndMode(), ServerAndModeTestName);

INSTANTIATE_TEST_SUITE_P(Modes, WalkOnVsftpd,
                         testing::Values(ServerAndMode{ServerKind::Vsftpd, true},
                                         ServerAndMode{ServerKind::Vsftpd, false}),
                         ServerAndModeTestName);

// With no remote folder typed, the login folder is listed and is the root; at "/" the entries'
// paths begin with "//", and the walk's CWDs use them.
TEST(WalkFromTheLoginFolder, ListsTheLoginFolderAndGoesBackToIt) {
    testsupport::PyFtpServer server;
    testsupport::WriteFile(server.Root() + "/a.txt", "a");
    fs::create_directories(server.Root() + "/z");
    const std::string local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/local/";
    fs::create_directories(local);
    testsupport::WriteFile(local + "a.txt", "a");
    SetStamp(local + "a.txt", kSameStamp);
    SetStamp(server.Root() + "/a.txt", kSameStamp);

    CompareWindow cw;
    ASSERT_TRUE(cw.Compare({server.Port(), server.User(), server.Password(), true, "", local, ""}));
    Window1& w = *cw.w;
    EXPECT_EQ(w.pRootR, "/");
    ASSERT_EQ(w.pSyncR.size(), 2u);
    EXPECT_EQ(w.pSyncR[0].path, "//a.txt");
    EXPECT_EQ(w.pSyncR[1].path, "//z");
    EXPECT_EQ(w.pSyncR[1].child, 2);
    EXPECT_EQ(w.pSyncR[1].childCount, 0);
    EXPECT_EQ(w.pGroupR, 1);
    EXPECT_EQ(CompareWindow::Marked(w.pSyncR, ""), std::set<std::string>{"//z"});
    // CWD into the folder, then back to the root once the walk is over (pyftpdlib logs the
    // folders by their local paths).
    const std::string intoZ = "CWD " + server.Root() + "/z 250";
    const std::string back = "CWD " + server.Root() + " 250";
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] { return server.LogText().find(back) != std::string::npos; }, 10000))
        << server.LogText();
    EXPECT_LT(server.LogText().find(intoZ), server.LogText().find(back));
}

}  // namespace
