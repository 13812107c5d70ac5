// How a run moves from step to step, against a server the test plays: a step waits for the final
// reply to its own command and for an open data connection to close; the sync mode, Sync and
// Disconnect behave as one run needs.
#include <gtest/gtest.h>

#include "framework/UserCancel.h"
#include "shell/CommonModule.h"
#include "tests/sync/ScriptedSiteFixture.h"

namespace synctest {
namespace {

class RunControl : public ScriptedSiteTest {
protected:
    // Holds back the reply to one command line until Release.
    void Hold(const std::string& line) {
        site->Intercept = [this, line](const std::string& received) {
            if (received != line) return false;
            held_ = received;
            return true;
        };
    }
    bool Held() const { return !held_.empty(); }
    void Release() {
        const std::string line = held_;
        held_.clear();
        site->Intercept = nullptr;
        site->Answer(line);
    }

private:
    std::string held_;
};

TEST_F(RunControl, AStepDueWhileAListingIsOpenWaitsForItToClose) {
    MakeTree(localRoot, {{"d", kFolder}});
    ASSERT_TRUE(ConnectAndCompare());
    gPref[PrefConfirmSync] = 0;
    // A listing of the working folder is still on its way when Sync is pressed.
    site->holdListing = true;
    w->commandSocket.getList();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return site->ListingHeld() && w->dataConnected; }));

    ExpectMessage("同期が終了しました。 [cmd]");
    ASSERT_TRUE(Click(TagSync));
    fw::ProcessPendingEvents();
    EXPECT_EQ(site->server.CountLines("MKD"), 0);
    EXPECT_FALSE(Enabled(TagSync)) << "a run is under way";

    site->ReleaseListing();
    ASSERT_TRUE(WaitForScript()) << LogText();
    EXPECT_EQ(Received({"MKD"}), std::vector<std::string>{"MKD /site/d"});
    EXPECT_TRUE(Enabled(TagSync));
}

TEST_F(RunControl, AnUploadCompletesWithItsFinalReplyNotWithTheEndOfItsData) {
    MakeTree(localRoot, {{"a.txt", "a"}, {"z", kFolder}});
    ASSERT_TRUE(ConnectAndCompare());
    gPref[PrefConfirmSync] = 0;
    site->holdUploadReply = true;
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return site->UploadReplyHeld(); }));
    fw::ProcessPendingEvents();
    EXPECT_EQ(site->server.DataReceived(), "a");
    EXPECT_EQ(site->server.CountLines("MKD"), 0) << "the upload is not complete yet";
    EXPECT_TRUE(Messages().empty());

    ExpectMessage("同期が終了しました。 [cmd]");
    site->ReleaseUpload();
    ASSERT_TRUE(WaitForScript()) << LogText();
    EXPECT_EQ(Received({"STOR", "MKD"}),
              (std::vector<std::string>{"STOR /site/a.txt", "MKD /site/z"}));
}

TEST_F(RunControl, ADisconnectRefusedDuringATransferChangesNothing) {
    MakeTree(localRoot, {{"a.txt", "a"}});
    ASSERT_TRUE(ConnectAndCompare());
    gPref[PrefConfirmSync] = 0;
    site->holdUploadReply = true;
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return site->UploadReplyHeld(); }));

    ExpectMessage("データ接続中なので切断できません。");
    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(WaitForScript());
    EXPECT_FALSE(Enabled(TagConnect));
    EXPECT_FALSE(Enabled(TagSync));
    EXPECT_TRUE(Enabled(TagDiscon));
    EXPECT_FALSE(Enabled(TagClear));
    EXPECT_FALSE(w->ListBox1->Enabled());
    EXPECT_FALSE(w->BevelButton3->Enabled());
    EXPECT_EQ(w->pMode, ConnectOpen);
    EXPECT_EQ(site->server.CountLines("QUIT"), 0);

    ExpectMessage("同期が終了しました。 [dat]");
    site->ReleaseUpload();
    ASSERT_TRUE(WaitForScript());
    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(site->server.WaitForLine("QUIT"));
}

TEST_F(RunControl, ADisconnectBetweenStepsEndsTheRunThenSendsQuit) {
    MakeTree(localRoot, {{"a", kFolder}, {"b", kFolder}});
    ASSERT_TRUE(ConnectAndCompare());
    gPref[PrefConfirmSync] = 0;
    Hold("MKD /site/a");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Held(); }));

    ExpectMessage("同期を中止しました。");
    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(WaitForScript());
    ASSERT_TRUE(site->server.WaitForLine("QUIT"));
    // The reply that was due, and QUIT's, arrive: neither takes a step.
    Release();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !LogLines("221").empty(); }));
    fw::ProcessPendingEvents();
    EXPECT_EQ(Received({"MKD", "QUIT"}), (std::vector<std::string>{"MKD /site/a", "QUIT"}));
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期を中止しました。"});
    EXPECT_TRUE(Enabled(TagConnect));
    EXPECT_FALSE(Enabled(TagSync));
    EXPECT_EQ(w->pMode, ConnectClosed);
}

TEST_F(RunControl, EveryLineOfAMultiLineReplyTakesNoMoreThanOneStep) {
    MakeTree(localRoot, {{"a", kFolder}, {"b", kFolder}, {"c", kFolder}});
    ASSERT_TRUE(ConnectAndCompare());
    gPref[PrefConfirmSync] = 0;
    site->Intercept = [&](const std::string& line) {
        if (line != "MKD /site/a") return false;
        site->server.Send("257-Creating\r\n257-still creating\r\n");
        return true;
    };
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return LogLines("257-").size() == 2; })) << LogText();
    fw::ProcessPendingEvents();
    EXPECT_EQ(Received({"MKD"}), std::vector<std::string>{"MKD /site/a"});

    ExpectMessage("同期が終了しました。 [cmd]");
    site->Intercept = nullptr;
    site->server.Send("257 \"/site/a\" created\r\n");
    ASSERT_TRUE(WaitForScript()) << LogText();
    EXPECT_EQ(Received({"MKD"}),
              (std::vector<std::string>{"MKD /site/a", "MKD /site/b", "MKD /site/c"}));
}

// The cancel key pressed while no run reads it (between runs, or while the removals run) is not
// taken for a cancel of the next run: its first upload would be cut and deleted on the server.
TEST_F(RunControl, ACancelKeyPressedBeforeSyncDoesNotCancelTheRun) {
    MakeTree(localRoot, {{"a.bin", std::string(100000, 'a')}});
    ASSERT_TRUE(ConnectAndCompare());
    gPref[PrefConfirmSync] = 0;
    fw::LatchUserCancel();
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    EXPECT_EQ(Received({"STOR", "DELE"}), std::vector<std::string>{"STOR /site/a.bin"});
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期が終了しました。 [dat]"});
}

TEST_F(RunControl, ABrokenUploadReportedTwiceStopsTheRunOnce) {
    MakeTree(localRoot, {{"big.bin", std::string(30000000, 'b')}, {"later.txt", "l"}});
    ASSERT_TRUE(ConnectAndCompare());
    gPref[PrefConfirmSync] = 0;
    Hold("STOR /site/big.bin");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Held(); }));
    site->Intercept = nullptr;
    site->server.Send("150 Ok to send data\r\n");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !site->server.DataReceived().empty(); }));

    // First the data connection breaks, then the server says so too.
    ExpectStopped("An error 203occurred in the data port!");
    site->server.AbortData();
    ASSERT_TRUE(WaitForScript()) << LogText();
    site->server.Send("426 Connection closed; transfer aborted\r\n");
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !LogLines("426").empty(); }));
    fw::ProcessPendingEvents();
    EXPECT_EQ(Messages(), std::vector<std::string>{"同期を中断しました。"});
    EXPECT_EQ(Received({"STOR", "DELE"}),
              (std::vector<std::string>{"STOR /site/big.bin", "DELE /site/big.bin"}));
    EXPECT_TRUE(Enabled(TagSync));
}

TEST_F(RunControl, TheSyncModeIsTheOneShownWhenSyncWasPressed) {
    MakeTree(localRoot, {{"a", kFolder}});
    SetRemoteTree({{"old.txt", "o"}});
    ASSERT_TRUE(ConnectAndCompare());
    gPref[PrefConfirmSync] = 0;
    Hold("MKD /site/a");
    ASSERT_TRUE(Click(TagSync));  // upload only
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Held(); }));
    w->PopupMenu1->SetListIndex(1);  // changed while the run goes on
    ExpectMessage("同期が終了しました。 [cmd]");
    Release();
    ASSERT_TRUE(WaitForScript());
    EXPECT_EQ(site->server.CountLines("DELE"), 0);
    EXPECT_EQ(w->pSyncResult.find("削除対象"), std::string::npos);

    // And the other way round: pressed in the upload-and-delete mode, the removals follow.
    Hold("MKD /site/a");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Held(); }));
    w->PopupMenu1->SetListIndex(0);
    ExpectMessage("同期が終了しました。 [cmd]");
    Release();
    ASSERT_TRUE(WaitForScript());
    EXPECT_EQ(Received({"DELE"}), std::vector<std::string>{"DELE /site/old.txt"});
}

TEST_F(RunControl, SyncCanBePressedOnlyBetweenRunsOfAComparedConnection) {
    MakeTree(localRoot, {{"a", kFolder}});
    EXPECT_FALSE(Enabled(TagSync));
    site->holdListing = true;  // the walk's first listing is still coming
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return site->ListingHeld(); }));
    EXPECT_FALSE(Enabled(TagSync)) << "the comparison has not ended";
    site->holdListing = false;
    site->ReleaseListing();
    ASSERT_TRUE(Compared());

    gPref[PrefConfirmSync] = 0;
    Hold("MKD /site/a");
    ASSERT_TRUE(Click(TagSync));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Held(); }));
    EXPECT_FALSE(Enabled(TagSync));
    ExpectMessage("同期が終了しました。 [cmd]");
    Release();
    ASSERT_TRUE(WaitForScript());
    EXPECT_TRUE(Enabled(TagSync));
    ASSERT_TRUE(Click(TagDiscon));
    EXPECT_FALSE(Enabled(TagSync));
}

TEST_F(RunControl, ARefusedListingLeavesNoDataConnectionBehind) {
    // The data connection of the listing is open when the server refuses LIST with a 550.
    site->Intercept = [&](const std::string& line) {
        if (line.rfind("LIST", 0) != 0) return false;
        testsupport::WaitUntil([&] { return site->server.DataConnected(); });
        site->server.Send("550 No listing here\r\n");
        return true;
    };
    ExpectMessage("An error occurred: 550 No listing here");
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript()) << LogText();
    EXPECT_FALSE(w->dataConnected);
    ASSERT_TRUE(Click(TagDiscon));  // not refused
    ASSERT_TRUE(site->server.WaitForLine("QUIT"));
    EXPECT_EQ(Messages(), std::vector<std::string>{"An error occurred: 550 No listing here"});
}

// Until the server has closed the connection after a disconnect, the walk counts as running and
// nothing can be cleared: the button says so, and comes on when a click can clear.
TEST_F(RunControl, ClearComesOnOnlyOnceADisconnectDuringTheWalkHasEndedIt) {
    SetRemoteTree({{"a", kFolder}, {"a/x.txt", "x"}});
    MakeTree(localRoot, {{"x.txt", "x"}});
    std::vector<std::string> held;
    site->Intercept = [&](const std::string& line) {
        if (line != "CWD /site/a" && line != "QUIT") return false;
        held.push_back(line);
        return true;
    };
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !held.empty(); }));
    ASSERT_FALSE(w->DataConnectionOpen());
    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return held.size() == 2; }));
    EXPECT_TRUE(w->CompareRunning());
    EXPECT_FALSE(Enabled(TagClear));

    site->Intercept = nullptr;
    for (const std::string& line : held) site->Answer(line);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Enabled(TagClear); })) << LogText();
    EXPECT_FALSE(w->CompareRunning());
    ExpectPress("クリア");
    ASSERT_TRUE(Click(TagClear));
    ASSERT_TRUE(WaitForScript());
    EXPECT_EQ(LogText(), "");
    EXPECT_EQ(w->pMode, ConnectCleared);
    EXPECT_FALSE(Enabled(TagClear));
    EXPECT_TRUE(Unexpected().empty());
}

TEST_F(RunControl, AFailedConnectAfterADisconnectIsReported) {
    ASSERT_TRUE(ConnectAndCompare());
    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !site->server.Connected(); }));
    site.reset();  // nothing listens any more

    ExpectPress("実行");  // clear the earlier connection's results
    ExpectMessage("Error: 100");
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(WaitForScript());
    EXPECT_TRUE(Enabled(TagConnect));
    EXPECT_FALSE(Enabled(TagDiscon));
    EXPECT_EQ(w->pMode, ConnectClosed);
}

}  // namespace
}  // namespace synctest
