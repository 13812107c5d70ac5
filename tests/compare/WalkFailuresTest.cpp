// The remote walk where the server answers what real servers answer only now and then: a working
// folder named elsewhere than typed, refusals of one folder's commands, a dead data port, trees
// deeper than the walk goes, and listings nobody asked for.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/compare/CompareWindow.h"
#include "tests/compare/ScriptedTreeServer.h"
#include "tests/support/CaseNames.h"
#include "tests/support/ProcessWatch.h"

namespace {

namespace fs = std::filesystem;

class WalkFailures : public testing::Test {
protected:
    void SetUp() override {
        local = std::string(getenv("QUILLOMAR_TEST_ROOT")) + "/local/";
        fs::create_directories(local);
        testsupport::WriteFile(local + "keep.txt", "k");
        tree.clientDataConnected = [this] { return cw.w->dataSocket.IsConnected(); };
    }
    CompareWindow::Connection Connection(const std::string& remoteFolder) const {
        return {tree.server.Port(), "user", "secret", true, remoteFolder, local, ""};
    }
    bool Compare(const std::string& remoteFolder) { return cw.Compare(Connection(remoteFolder)); }
    const SyncEntry* Remote(const std::string& path) const {
        return CompareWindow::Find(cw.w->pSyncR, path);
    }

    std::string local;
    ScriptedTreeServer tree;
    CompareWindow cw;
};

TEST_F(WalkFailures, TheRootIsTheFolderTheServerNames) {
    tree.loginFolder = "/home/site";
    tree.listings["/home/site"] = ScriptedTreeServer::Line('d', "pub");
    tree.listings["/home/site/pub"] = ScriptedTreeServer::Line('d', "sub");
    tree.listings["/home/site/pub/sub"] = ScriptedTreeServer::Line('-', "page.html");
    ASSERT_TRUE(Compare("pub"));
    EXPECT_EQ(cw.w->pRootR, "/home/site/pub");
    ASSERT_NE(Remote("/home/site/pub/sub/page.html"), nullptr);
    // After the root as typed, every CWD names the folder from the root the server named.
    ASSERT_GE(tree.cwds.size(), 3u);
    EXPECT_EQ(tree.cwds[0], "pub");
    EXPECT_EQ(tree.cwds[1], "/home/site/pub/sub");
    EXPECT_EQ(tree.cwds[2], "/home/site/pub");
}

// The working folder the server names after changing into the remote folder: every path the run
// sends hangs below it, so it must be the folder asked for.
struct RootCase {
    const char* what;
    std::string typed;  // the profile's remote folder
    std::string loginFolder;
    std::string pwdAlways;  // what PWD names, whatever the folder ("": the folder itself)
    bool doublesQuotes;
    std::string root;  // the root compared from; "" when the comparison must stop
};

void PrintTo(const RootCase& c, std::ostream* os) {
    *os << c.what;
}

class RemoteRoot : public WalkFailures, public testing::WithParamInterface<RootCase> {};

TEST_P(RemoteRoot, IsTheFolderAskedForOrNothingIsCompared) {
    const RootCase& c = GetParam();
    tree.loginFolder = c.loginFolder;
    tree.pwdAlways = c.pwdAlways;
    tree.doublesQuotes = c.doublesQuotes;
    // The folder asked for, and the folders a wrong answer would lead to, all hold entries that
    // would be marked.
    for (const std::string folder : {"/", "/a", "/a\"b", "/site", "/home", "/home/pub"})
        tree.listings[folder] = ScriptedTreeServer::Line('-', "remote-only.txt");
    if (c.root.empty()) {
        fw::ModalHost::ExpectStep([](const fw::ModalPrompt& p) {
            EXPECT_EQ(p.message, "比較を中止しました。");
            return fw::ModalAnswer::Press("OK");
        });
    }
    cw.Start(Connection(c.typed));
    if (!c.root.empty()) {
        ASSERT_TRUE(cw.WaitForComparison());
        EXPECT_EQ(cw.w->pRootR, c.root);
        EXPECT_NE(Remote(c.root + "/remote-only.txt"), nullptr);
        return;
    }
    const std::string stopped = "サーバーの作業フォルダがリモートフォルダ「" + c.typed +
                                "」と一致しないため、比較を中止しました: ";
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] {
            for (const std::string& line : cw.LogLines())
                if (line.rfind(stopped, 0) == 0) return true;
            return false;
        },
        10000))
        << cw.w->EditField5->Text();
    // Anything the walk would still send has been answered once the stop's message is done and
    // no command awaits its reply.
    ASSERT_TRUE(fw::RunEventLoopUntil(
        [&] {
            return fw::ModalHost::PendingSteps() == 0 && !fw::ModalHost::Active() &&
                   cw.w->ConnectionsQuiet();
        },
        10000));
    EXPECT_FALSE(cw.w->pFin);  // so Sync stays off
    EXPECT_FALSE(cw.w->pSyncRFlg);
    EXPECT_TRUE(cw.w->pSyncR.empty());
    EXPECT_TRUE(cw.w->pSyncL.empty());
    // No folder entered below it (nothing at all when the login folder is the root).
    EXPECT_EQ(tree.cwds,
              c.typed.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.typed});
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RemoteRoot,
    testing::Values(
        RootCase{"the folder itself", "/site", "/", "", false, "/site"},
        RootCase{"the folder typed with a trailing slash", "/site/", "/", "", false, "/site"},
        RootCase{"a doubled quote", "/a\"b", "/", "", true, "/a\"b"},
        RootCase{"a relative folder below the login folder", "pub", "/home", "", false,
                 "/home/pub"},
        RootCase{"the server root whatever the folder", "/site", "/", "/", false, ""},
        RootCase{"an undoubled quote", "/a\"b", "/", "", false, ""},
        RootCase{"the login folder with a doubled quote", "", "/a\"b", "", true, "/a\"b"},
        RootCase{"the login folder with an undoubled quote", "", "/a\"b", "", false, ""},
        RootCase{"a relative folder the answer does not end with", "pub", "/home", "/home", false,
                 ""}),
    [](const testing::TestParamInfo<RootCase>& info) {
        return testsupport::CaseName(info.param.what);
    });

struct FailureCase {
    const char* command;
    bool passive;
};

class OneFolderFails : public WalkFailures, public testing::WithParamInterface<FailureCase> {};

TEST_P(OneFolderFails, ThatFolderIsOpaqueOnceAndTheWalkGoesOn) {
    tree.listings["/"] = ScriptedTreeServer::Line('d', "a") + ScriptedTreeServer::Line('d', "b") +
                         ScriptedTreeServer::Line('d', "c");
    tree.listings["/a"] = ScriptedTreeServer::Line('-', "in-a.txt");
    tree.listings["/b"] = ScriptedTreeServer::Line('-', "in-b.txt");
    tree.listings["/c"] = ScriptedTreeServer::Line('-', "in-c.txt");
    tree.failures["/b"] = GetParam().command;
    CompareWindow::Connection c = Connection("/");
    c.passive = GetParam().passive;
    ASSERT_TRUE(cw.Compare(c));
    EXPECT_EQ(cw.w->pRootR, "/");
    ASSERT_NE(Remote("//b"), nullptr);
    EXPECT_TRUE(Remote("//b")->opaque);
    EXPECT_FALSE(Remote("//a")->opaque);
    EXPECT_FALSE(Remote("//c")->opaque);
    EXPECT_NE(Remote("//a/in-a.txt"), nullptr);
    EXPECT_EQ(Remote("//b/in-b.txt"), nullptr);
    // c's listing is c's own: the failure of b was counted once, and took nothing of c's.
    ASSERT_NE(Remote("//c/in-c.txt"), nullptr);
    EXPECT_EQ(Remote("//c/in-c.txt")->group, 2);  // b's failure took no listing number
    int refusals = 0;
    for (const std::string& line : cw.LogLines())
        refusals += line == "サーバーで一覧できないため比較から除外しました: //b";
    EXPECT_EQ(refusals, 1);
    EXPECT_FALSE(Remote("//b")->check);  // an opaque folder is never deleted
    EXPECT_TRUE(Remote("//a")->check);
}

INSTANTIATE_TEST_SUITE_P(Commands, OneFolderFails,
                         testing::Values(FailureCase{"CWD", true}, FailureCase{"PWD", true},
                                         FailureCase{"PASV", true}, FailureCase{"PORT", false},
                                         FailureCase{"LIST", true}, FailureCase{"LIST", false}),
                         [](const testing::TestParamInfo<FailureCase>& info) {
                             return std::string(info.param.command) +
                                    (info.param.passive ? "Passive" : "Active");
                         });

TEST_F(WalkFailures, ARefusalAfterAWholeListingStillMakesItsFolderOpaque) {
    // The walk has gone on when the refusal comes; b is the last folder, so the end of the walk
    // waits for it, and a's refusal comes while b is being entered.
    tree.listings["/"] = ScriptedTreeServer::Line('d', "a") + ScriptedTreeServer::Line('d', "b");
    tree.listings["/a"] = ScriptedTreeServer::Line('-', "in-a.txt");
    tree.listings["/b"] = ScriptedTreeServer::Line('-', "in-b.txt");
    tree.failures["/a"] = "LIST-AFTER";
    tree.failures["/b"] = "LIST-AFTER";
    ASSERT_TRUE(Compare("/"));
    for (const char* folder : {"//a", "//b"}) {
        ASSERT_NE(Remote(folder), nullptr);
        EXPECT_TRUE(Remote(folder)->opaque) << folder;
        EXPECT_FALSE(Remote(folder)->check) << folder;
        EXPECT_FALSE(Remote(std::string(folder) + "/in-" + (folder + 2) + ".txt")->check);
        EXPECT_TRUE(
            cw.Logged(std::string("サーバーで一覧できないため比較から除外しました: ") + folder));
    }
    EXPECT_EQ(CompareWindow::Marked(cw.w->pSyncL, local), std::set<std::string>{"keep.txt"});
}

TEST_F(WalkFailures, AnEmptyRemoteRootEndsTheWalkAndEverythingGoesUp) {
    tree.listings["/"] = "total 0\r\n";
    fs::create_directories(local + "sub");
    testsupport::WriteFile(local + "sub/a.txt", "a");
    ASSERT_TRUE(Compare("/"));
    EXPECT_TRUE(cw.w->pSyncR.empty());
    EXPECT_EQ(cw.w->pGroupR, 0);
    EXPECT_EQ(CompareWindow::Marked(cw.w->pSyncL, local),
              (std::set<std::string>{"keep.txt", "sub/", "sub/a.txt"}));
    EXPECT_EQ(cw.w->remoteListBox->ListCount(), 0);
    // Entered nothing but the root, and went back to it.
    EXPECT_EQ(tree.cwds, (std::vector<std::string>{"/", "/"}));
}

TEST_F(WalkFailures, ARefusedRootMarksNothing) {
    tree.listings["/"] = ScriptedTreeServer::Line('d', "other");
    tree.failures["/site"] = "CWD";
    tree.listings["/site"] = "";
    cw.Start(Connection("site"));
    ASSERT_TRUE(cw.WaitForComparison());
    EXPECT_TRUE(cw.w->pSyncR.empty());
    EXPECT_TRUE(cw.w->pWalk.rootOpaque);
    EXPECT_EQ(CompareWindow::Marked(cw.w->pSyncL, ""), std::set<std::string>{});
    EXPECT_TRUE(
        cw.Logged("リモートフォルダを一覧できないため、アップロードと削除の指定はしません。"));
    // No CWD back to a root that cannot be entered.
    EXPECT_EQ(tree.cwds, std::vector<std::string>{"site"});
}

TEST_F(WalkFailures, FoldersDeeperOrLongerThanTheWalkGoesAreOpaque) {
    // 66 nested folders: the 65th level is not entered.
    std::string path = "";
    for (int depth = 1; depth <= 66; ++depth) {
        tree.listings[path.empty() ? "/" : path] = ScriptedTreeServer::Line('d', "d");
        path += "/d";
    }
    // A path of more than 4096 bytes: 17 levels of 250-byte names.
    const std::string longName(250, 'n');
    std::string longPath = "/long";
    tree.listings["/"] += ScriptedTreeServer::Line('d', "long");
    for (int i = 0; i < 17; ++i) {
        tree.listings[longPath] = ScriptedTreeServer::Line('d', longName);
        longPath += "/" + longName;
    }
    tree.listings[longPath] = ScriptedTreeServer::Line('-', "deep.txt");
    ASSERT_TRUE(Compare("/"));

    std::string at64 = "/", at65 = "/";
    for (int i = 0; i < 64; ++i) at64 += "/d";
    at65 = at64 + "/d";
    ASSERT_NE(Remote(at64), nullptr);
    EXPECT_FALSE(Remote(at64)->opaque);
    ASSERT_NE(Remote(at65), nullptr);
    EXPECT_TRUE(Remote(at65)->opaque);
    EXPECT_EQ(Remote(at65 + "/d"), nullptr);
    EXPECT_TRUE(cw.Logged("階層が深すぎるため比較から除外しました: " + at65));
    for (const std::string& cwd : tree.cwds) EXPECT_NE(cwd, at65);

    const SyncEntry* tooLong = nullptr;
    for (const SyncEntry& e : cw.w->pSyncR)
        if (e.opaque && e.path.size() > 4096) tooLong = &e;
    ASSERT_NE(tooLong, nullptr);
    EXPECT_TRUE(cw.Logged("パスが長すぎるため比較から除外しました: " + tooLong->path));
    for (const std::string& cwd : tree.cwds) EXPECT_LE(cwd.size(), 4096u);
}

TEST_F(WalkFailures, EveryWholeLineOfAListingCountsButTheTotalAndHiddenNames) {
    // A name with " ." in it is an entry.
    tree.listings["/"] = "total 3\r\n" + ScriptedTreeServer::Line('-', "notes .txt") +
                         ScriptedTreeServer::Line('-', ".hidden") +
                         ScriptedTreeServer::Line('d', "..") + "\r\n" +
                         ScriptedTreeServer::Line('-', "last.txt");
    ASSERT_TRUE(Compare("/"));
    ASSERT_EQ(cw.w->pSyncR.size(), 2u);
    EXPECT_EQ(cw.w->pSyncR[0].name, "last.txt");
    EXPECT_EQ(cw.w->pSyncR[1].name, "notes .txt");
    // The handler keeps the lines as they came, less the total, from element 1 on.
    EXPECT_EQ(cw.w->listData.size(), 6u);
    EXPECT_EQ(cw.w->listData[0], "");
    EXPECT_EQ(cw.w->listData[4], "");
}

// "index.html.bak" cut short after "index.html": the cut name must not stand for the local file
// of that name (which would then not be sent), nor be deleted.
const std::string kCutListing = ScriptedTreeServer::Line('-', "a.txt") +
                                "-rw-r--r--   1 user  group  100 Jun 15  2020 index.html";

TEST_F(WalkFailures, ALastLineWithoutItsLineEndIsNoEntry) {
    tree.listings["/"] = ScriptedTreeServer::Line('d', "b");
    tree.listings["/b"] = kCutListing;
    fs::create_directories(local + "b");
    testsupport::WriteFile(local + "b/index.html", "i");
    SetStamp(local + "b/index.html", kSameStamp);
    ASSERT_TRUE(Compare("/"));
    EXPECT_FALSE(Remote("//b")->opaque);
    ASSERT_NE(Remote("//b/a.txt"), nullptr);
    EXPECT_EQ(Remote("//b/index.html"), nullptr);
    EXPECT_TRUE(
        cw.Logged("一覧の最後の行が途中で切れているため、その行を比較から除外しました: //b"));
    EXPECT_EQ(CompareWindow::Marked(cw.w->pSyncL, local),
              (std::set<std::string>{"keep.txt", "b/index.html"}));
}

// The server has said 226, and then the listing's connection is reset: what came is not the
// folder, whatever its lines say.
TEST_F(WalkFailures, AListingResetAfterItsFinalReplyMakesItsFolderOpaque) {
    tree.listings["/"] = ScriptedTreeServer::Line('d', "b") + ScriptedTreeServer::Line('d', "c");
    tree.listings["/b"] = kCutListing;
    tree.listings["/c"] = ScriptedTreeServer::Line('-', "in-c.txt");
    tree.failures["/b"] = "LIST-RESET";
    fs::create_directories(local + "b");
    testsupport::WriteFile(local + "b/index.html", "i");
    ASSERT_TRUE(Compare("/"));
    ASSERT_NE(Remote("//b"), nullptr);
    EXPECT_TRUE(Remote("//b")->opaque);
    EXPECT_FALSE(Remote("//b")->check);
    EXPECT_EQ(Remote("//b/a.txt"), nullptr);
    EXPECT_EQ(Remote("//b/index.html"), nullptr);
    EXPECT_TRUE(cw.Logged("一覧の途中で接続が切れたため比較から除外しました: //b"));
    // The walk went on with the next folder, whose listing is its own.
    ASSERT_NE(Remote("//c/in-c.txt"), nullptr);
    EXPECT_TRUE(Remote("//c/in-c.txt")->check);
    EXPECT_EQ(CompareWindow::Marked(cw.w->pSyncL, local), std::set<std::string>{"keep.txt"});
}

TEST_F(WalkFailures, AListingPastItsBoundIsEndedAndItsFolderOpaque) {
    tree.listings["/"] = ScriptedTreeServer::Line('d', "b") + ScriptedTreeServer::Line('d', "c");
    std::string piece;
    while (piece.size() < 64 * 1024) piece += ScriptedTreeServer::Line('-', "again.txt");
    tree.listings["/b"] = piece;
    tree.listings["/c"] = ScriptedTreeServer::Line('-', "in-c.txt");
    tree.failures["/b"] = "LIST-ENDLESS";
    testsupport::PeakResidentWatch memory;
    ASSERT_TRUE(cw.Compare(Connection("/"), 60000));
    EXPECT_TRUE(Remote("//b")->opaque);
    EXPECT_EQ(Remote("//b/again.txt"), nullptr);
    EXPECT_TRUE(cw.Logged("一覧が大きすぎるため比較から除外しました: //b"));
    EXPECT_NE(Remote("//c/in-c.txt"), nullptr);
    EXPECT_LT(memory.GrowthBytes(),
              static_cast<int64_t>(FtpDataSocket::kMaxListingBytes) + (int64_t{64} << 20));
}

TEST_F(WalkFailures, AListingNobodyAskedForIsNotTaken) {
    tree.listings["/"] = ScriptedTreeServer::Line('-', "real.txt");
    cw.Start(Connection("/"));
    // Before the login nothing has been asked for.
    cw.w->dataSocket_gotList(cw.w->dataSocket, ScriptedTreeServer::Line('-', "stray.txt"));
    EXPECT_EQ(cw.w->pGroupR, -1);
    ASSERT_TRUE(cw.WaitForComparison());
    ASSERT_EQ(cw.w->pSyncR.size(), 1u);
    EXPECT_EQ(cw.w->pSyncR[0].name, "real.txt");
    EXPECT_EQ(cw.w->pGroupR, 0);
}

}  // namespace
