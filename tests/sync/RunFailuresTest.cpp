// How a run ends when the server refuses, breaks off or goes away: one message with the reason,
// nothing more sent, nothing resumed by a later reply, and a new run that starts from its own
// list. Against real servers on 127.0.0.1:21.
#include <gtest/gtest.h>

#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

class RunFailures : public SyncWindowTest {
protected:
    // The run's end with the reason, and the log naming the failed step (its only such line) by
    // the time the message shows.
    void ExpectStoppedAfter(const std::string& reasonStart, const std::string& stepLine) {
        fw::ModalHost::ExpectStep([this, reasonStart, stepLine](const fw::ModalPrompt& p) {
            EXPECT_EQ(p.message, "同期を中断しました。");
            EXPECT_EQ(p.explanation.substr(0, reasonStart.size()), reasonStart) << p.explanation;
            EXPECT_EQ(LogLines("失敗した処理: "), std::vector<std::string>{stepLine}) << LogText();
            return fw::ModalAnswer::Press("OK");
        });
    }
};

TEST_F(RunFailures, ARefusedUploadStopsTheRunWithOneMessageAndNothingResumesIt) {
    // pyftpdlib without the right to write files: MKD passes, STOR is refused.
    StartServer(ServerKind::Pyftpdlib, {.permissions = "elradfmMT"});
    MakeTree(localRoot, {{"a", kFolder}, {"a/one.txt", "1"}, {"b.txt", "2"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare());

    ExpectConfirmation("アップロード対象", {"a", "a/one.txt", "b.txt"});
    ExpectStoppedAfter("An error occurred: 550 ", "失敗した処理: STOR /site/a/one.txt");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期を中断しました。"});
    EXPECT_EQ(w->pSyncResult, "アップロード対象\na\na/one.txt\n");
    EXPECT_FALSE(w->dataConnected);
    EXPECT_TRUE(Enabled(TagSync)) << "a new run may start";

    // The disconnect is not refused, and its QUIT's reply starts nothing.
    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !LogLines("221").empty(); }));
    fw::ProcessPendingEvents();
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期を中断しました。"});
    EXPECT_EQ(server->Received("STOR "), 1) << server->Log();
    EXPECT_EQ(server->Received("DELE "), 0) << "a refused STOR left nothing to delete";
    EXPECT_TRUE(std::filesystem::is_directory(server->LocalRoot() + "/a"));
    EXPECT_TRUE(Unexpected().empty());
}

TEST_F(RunFailures, ANewRunAfterARemovalStoppedByAnErrorRemovesNothingElse) {
    // Without the right to delete: the first DELE is refused.
    StartServer(ServerKind::Pyftpdlib, {.permissions = "elrafmwMT"});
    MakeTree(localRoot, {{"keep.txt", "k"}, {"new.txt", "n"}});
    server->Put("keep.txt", "k");
    server->Put("gone1.txt", "1");
    server->Put("gone2.txt", "2");
    FillEditPage(*server, true, 1);
    ASSERT_TRUE(ConnectAndCompare());
    w->pSyncL[0].check = false;  // keep.txt: as the user unticks it

    const std::string root = server->RemoteRoot();
    ExpectConfirmation("アップロード対象", {"new.txt"});
    ExpectConfirmation("削除対象", {root + "/gone2.txt", root + "/gone1.txt"});
    ExpectStoppedAfter("An error occurred: 550 ", "失敗した処理: DELE /site/gone2.txt");
    ASSERT_TRUE(SyncAndWait()) << LogText();

    // The next run: the uploads again, and no removal of anything the stopped phase had listed,
    // nor of any entry an upload index would name.
    ExpectConfirmation("アップロード対象", {"new.txt"});
    ExpectConfirmation("削除対象", {});
    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(server->Received("DELE "), 1) << server->Log();
    EXPECT_EQ(server->Received("RMD "), 0);
    EXPECT_EQ(TreeOf(server->LocalRoot()),
              (Tree{{"keep.txt", "k"}, {"new.txt", "n"}, {"gone1.txt", "1"}, {"gone2.txt", "2"}}));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"同期を中断しました。", "同期が終了しました。 [cmd]"}));
    EXPECT_EQ(w->pSyncResult,
              "アップロード対象\nnew.txt\n削除対象\nsite/gone2.txt\n"
              "アップロード対象\nnew.txt\n削除対象\n");
}

TEST_F(RunFailures, ADataConnectionBrokenOffStopsTheRunOnceThoughTheClientReportsItTwice) {
    // The server closes the data connection after 3000 bytes and answers 426.
    StartServer(ServerKind::Pyftpdlib, {.abortStorAfterBytes = 3000, .abortStorTimes = 1});
    MakeTree(localRoot, {{"big.bin", std::string(200000, 'x')}, {"later.txt", "l"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare());

    ExpectConfirmation("アップロード対象", {"big.bin", "later.txt"});
    fw::ModalHost::ExpectStep([](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.message, "同期を中断しました。");
        // Whichever report comes first is the reason.
        EXPECT_TRUE(p.explanation.rfind("An error occurred: 426", 0) == 0 ||
                    p.explanation.find("occurred in the data port!") != std::string::npos)
            << p.explanation;
        return fw::ModalAnswer::Press("OK");
    });
    ASSERT_TRUE(SyncAndWait()) << LogText();
    // The server's 426 always comes; a report that follows the first is only logged.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !LogLines("426").empty(); })) << LogText();
    fw::ProcessPendingEvents();
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期を中断しました。"});
    EXPECT_EQ(server->Received("STOR "), 1) << server->Log();
    EXPECT_FALSE(w->dataConnected);
    EXPECT_TRUE(Unexpected().empty());
    // The part the server kept would look newer than the local file: it is deleted.
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        return !std::filesystem::exists(server->LocalRoot() + "/big.bin");
    })) << server->Log();
    EXPECT_EQ(LogLines("途中で切れたアップロードをサーバーから削除します: ").size(), 1u);
}

TEST_F(RunFailures, ALostControlConnectionEndsTheRunAndTheConnection) {
    // pyftpdlib serves every session from its one process: when it ends, so do they.
    StartServer(ServerKind::Pyftpdlib);
    MakeTree(localRoot, {{"a.txt", "a"}, {"b.zzz", "b"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare());

    ExpectConfirmation("アップロード対象", {"a.txt", "b.zzz"});
    fw::ModalHost::ExpectStep([&](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.title, "b.zzz");
        server.reset();  // the server goes away while the question is open
        return fw::ModalAnswer::Press("実行");
    });
    ExpectStopped("Error: ");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期を中断しました。"});
    EXPECT_EQ(w->pMode, ConnectClosed);
    EXPECT_TRUE(Enabled(TagConnect));
    EXPECT_FALSE(Enabled(TagSync));
    EXPECT_FALSE(Enabled(TagDiscon));
    EXPECT_TRUE(Enabled(TagClear));
    EXPECT_TRUE(w->ListBox1->Enabled());
    EXPECT_TRUE(Unexpected().empty());
}

TEST_F(RunFailures, AServerThatClosesAnIdleConnectionEndsItWithOneMessage) {
    StartServer(ServerKind::Vsftpd, {.vsftpdConfig = {"idle_session_timeout=1"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare());
    ExpectMessage("An error occurred: 421 Timeout.");
    ASSERT_TRUE(WaitForScript(10000));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Enabled(TagConnect); }));
    fw::ProcessPendingEvents();
    EXPECT_EQ(Messages(), std::vector<std::string>{"An error occurred: 421 Timeout."});
    EXPECT_FALSE(Enabled(TagSync));
    EXPECT_FALSE(Enabled(TagDiscon));
    EXPECT_EQ(w->pMode, ConnectClosed);
}

class FolderThere : public SyncWindowTest, public testing::WithParamInterface<ServerKind> {};

TEST_P(FolderThere, AFolderTheServerHasIsLoggedAndTheRunGoesOn) {
    StartServer(GetParam());
    server->PutDir("img");
    server->Put("img/old.png", "o");
    MakeTree(localRoot, {{"img", kFolder}, {"img/old.png", "o"}, {"img/new.png", "n"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare());
    for (SyncEntry& e : w->pSyncL) e.check = e.name == "img";  // the user ticks the folder

    ExpectConfirmation("アップロード対象", {"img", "img/new.png", "img/old.png"});
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(LogLines("フォルダは既にあります: ").size(), 1u) << LogText();
    EXPECT_EQ(LogLines("550").size(), 1u) << LogText();
    EXPECT_EQ(TreeOf(server->LocalRoot()),
              (Tree{{"img", kFolder}, {"img/old.png", "o"}, {"img/new.png", "n"}}));
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期が終了しました。 [dat]"});
}

INSTANTIATE_TEST_SUITE_P(Servers, FolderThere,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

TEST_F(RunFailures, AMkdRefusedForAFolderTheServerLacksStopsTheRun) {
    // Without the right to make folders.
    StartServer(ServerKind::Pyftpdlib, {.permissions = "elradfwMT"});
    MakeTree(localRoot, {{"img", kFolder}, {"img/a.png", "a"}});
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare());
    ExpectConfirmation("アップロード対象", {"img", "img/a.png"});
    ExpectStopped("An error occurred: 550 ");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(server->Received("STOR "), 0);
    EXPECT_TRUE(LogLines("フォルダは既にあります").empty());
}

TEST_F(RunFailures, OnlyTheRefusalOfTheFirstFolderChangeTakesTheFolderForAFile) {
    // A remote folder whose name ends in an extension of the table ("css"): a refused DELE in it
    // is an error like any other, not a file to download.
    StartServer(ServerKind::Vsftpd);
    const std::string folder = server->RemoteRoot() + "/theme.css";
    server->PutDirAt(folder);
    server->PutAt(folder + "/gone.txt", "g");
    // The same file on both sides (older here): an empty local folder would get no marks.
    MakeTree(localRoot, {{"keep.txt", "k"}});
    server->PutAt(folder + "/keep.txt", "k");
    FillEditPage(*server, true, 1);
    w->EditField4->SetText(folder);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    std::filesystem::remove(server->LocalRoot() + "/theme.css/gone.txt");  // gone meanwhile

    ExpectConfirmation("アップロード対象", {});
    ExpectConfirmation("削除対象", {folder + "/gone.txt"});
    ExpectStopped("An error occurred: 550 ");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    for (const fw::ModalPrompt& p : fw::ModalHost::Shown()) EXPECT_NE(p.kind, "save");
    EXPECT_EQ(w->getList, false);
}

TEST_F(RunFailures, ARemoteFolderThatIsAFileIsOfferedForDownload) {
    StartServer(ServerKind::Vsftpd);
    server->Put("page.htm", "<p>page</p>\r\n");
    FillEditPage(*server, true);
    w->EditField4->SetText(server->RemoteRoot() + "/page.htm");
    const std::string target = localRoot + "../saved.htm";
    fw::ModalHost::ExpectStep([&](const fw::ModalPrompt& p) {
        EXPECT_EQ(p.kind, "save");
        EXPECT_EQ(p.suggestedName, "page.htm");
        return fw::ModalAnswer::Choose(target);
    });
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript());
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        return testsupport::ReadFile(target) == "<p>page</p>\n";
    })) << LogText();
    // After the download's 226 the current remote folder is listed.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return LogLines("226").size() >= 2; })) << LogText();
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace synctest
