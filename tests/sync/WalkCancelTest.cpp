// The cancel key during the remote walk. A server or a network can hold a listing up for good:
// the walk reads the key all the same, and once it has, the walk has ended, the listing's data
// connection closed, the comparison ends as cancelled with Sync off, and 切断 sends QUIT. A cancel
// during a walk that is only under way cancels the comparison just the same. (How soon the key is
// read is the benchmarks' figure.)
#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include "compare/CompareCancelled.h"
#include "framework/UserCancel.h"
#include "tests/support/FreePort.h"
#include "tests/sync/StuckWalkFixture.h"

namespace synctest {
namespace {

// The paths ticked in a tree.
std::vector<std::string> Ticked(const std::vector<SyncEntry>& tree) {
    std::vector<std::string> ticked;
    for (const SyncEntry& e : tree)
        if (e.check) ticked.push_back(e.path);
    return ticked;
}

// The cancel key, and the loop run until the program has read it: by then the comparison's
// cancelled line is in the log, once. A walk stuck on a listing used to leave the key unread until
// the server gave up, 119 s later; the wait's bound is far below that.
void CancelUntilRead(const std::function<std::string()>& log) {
    fw::LatchUserCancel();
    ASSERT_TRUE(testsupport::WaitUntil([] { return !fw::UserCancelPending(); }, 20000))
        << "the key was not read";
    const std::string text = log();
    size_t lines = 0;
    for (size_t at = text.find(kCompareCancelledText); at != std::string::npos;
         at = text.find(kCompareCancelledText, at + 1))
        ++lines;
    EXPECT_EQ(lines, 1u) << "the key was read and the walk went on:\n" << text;
}

TEST_P(StuckWalk, TheCancelKeyEndsTheWalkAndDisconnectSendsQuit) {
    const StuckListing c = GetParam();
    ASSERT_NO_FATAL_FAILURE(WalkIntoTheHold());
    EXPECT_TRUE(w->pSyncRFlg) << "the walk waits on the listing";

    ASSERT_NO_FATAL_FAILURE(CancelUntilRead([&] { return LogText(); }));
    EXPECT_FALSE(w->DataConnectionOpen());
    EXPECT_FALSE(w->pSyncRFlg);
    if (ServerHadDataConnection()) {
        EXPECT_TRUE(testsupport::WaitUntil([&] { return site->server.DataClosedByClient(); }));
    }
    if (*c.afterDrop) {
        EXPECT_TRUE(testsupport::WaitUntil([&] { return !LogLines(c.afterDrop).empty(); }))
            << LogText();
    }
    fw::ProcessPendingEvents();
    EXPECT_FALSE(Enabled(TagSync));
    EXPECT_FALSE(w->pCompared);
    EXPECT_TRUE(Ticked(w->pSyncR).empty());
    // Nothing more is asked of the server for the comparison.
    EXPECT_EQ(Received({"CWD"}), (std::vector<std::string>{"CWD /site", "CWD /site/a"}));

    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(site->server.WaitForLine("QUIT")) << LogText();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Enabled(TagConnect); }));
    EXPECT_EQ(w->pMode, ConnectClosed);
    EXPECT_FALSE(Enabled(TagDiscon));
    EXPECT_TRUE(Messages().empty()) << Messages()[0];
    EXPECT_TRUE(Unexpected().empty());
    EXPECT_EQ(LogLines(kCompareCancelledText).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Listings, StuckWalk, testing::ValuesIn(kStuckListings),
                         [](const testing::TestParamInfo<StuckListing>& info) {
                             return std::string(info.param.name);
                         });

// The walk waiting on a reply of the control connection when the key is pressed: the reply that
// comes afterwards starts nothing of the comparison: a data port named after the cancel is not
// connected to and no LIST follows it, so nothing stands in the way of 切断.
struct HeldReply {
    const char* name;
    const char* line;  // the command whose reply the server holds
    // What it answers once the cancel has been seen: "" as ever; "pasv-syn-dropping" or
    // "pasv-dead", a 227 naming a port that drops SYNs or where nothing listens.
    const char* released;
    // The log line that shows the late reply handled, and its count in the log by then.
    const char* settled;
    size_t settledCount;
    std::vector<std::string> walked;  // the CWD, PASV and LIST the server gets in all
};

void PrintTo(const HeldReply& c, std::ostream* os) {
    *os << c.name;
}

class HeldReplyWalk : public HeldWalkTest<HeldReply> {
protected:
    void SetUp() override {
        if (!LayOutSite()) return;
        site->Intercept = [this](const std::string& line) {
            if (line.rfind("CWD ", 0) == 0) cwd_ = line.substr(4);
            const std::string held = GetParam().line;
            const bool inA = cwd_ == "/site/a";
            if (held_ || line != held || (held == "PASV" && !inA)) return false;
            held_ = true;
            return true;
        };
    }
    void Release() {
        const std::string released = GetParam().released;
        if (released == "pasv-syn-dropping")
            site->server.Send(testsupport::ScriptedFtpServer::Pasv227Text(synDropping_.Port()) +
                              "\r\n");
        else if (released == "pasv-dead")
            site->server.Send(
                testsupport::ScriptedFtpServer::Pasv227Text(testsupport::PickFreeTcpPort()) +
                "\r\n");
        else
            site->Answer(GetParam().line);
    }

    SynDroppingPort synDropping_;
    bool held_ = false;

private:
    std::string cwd_;
};

TEST_P(HeldReplyWalk, TheCancelKeyEndsTheWalkAndTheLateReplyStartsNothing) {
    const HeldReply c = GetParam();
    ASSERT_NE(synDropping_.Port(), 0) << "the accept queue would not fill";
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return held_; })) << LogText();
    ASSERT_NO_FATAL_FAILURE(CancelUntilRead([&] { return LogText(); }));
    EXPECT_FALSE(w->pSyncRFlg);

    Release();
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        return LogLines(c.settled).size() == c.settledCount;
    })) << LogText();
    if (std::string(c.released) == "pasv-dead") {
        ASSERT_TRUE(testsupport::WaitUntil([&] { return !w->DataConnectionOpen(); }));
    }
    fw::ProcessPendingEvents();
    EXPECT_FALSE(Enabled(TagSync));

    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(site->server.WaitForLine("QUIT")) << LogText();
    // Whatever the late reply led to was written before QUIT.
    EXPECT_EQ(Received({"CWD", "PASV", "LIST"}), c.walked);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Enabled(TagConnect); }));
    EXPECT_EQ(w->pMode, ConnectClosed);
    EXPECT_FALSE(w->DataConnectionOpen());
    EXPECT_TRUE(Messages().empty()) << Messages()[0];
}

INSTANTIATE_TEST_SUITE_P(
    Replies, HeldReplyWalk,
    testing::Values(HeldReply{"Login", "PASS secret", "", "257 \"/\"", 1, {}},
                    HeldReply{"FolderChange",
                              "CWD /site/a",
                              "",
                              "257 \"/site/a\"",
                              1,
                              {"CWD /site", "PASV", "LIST", "CWD /site/a"}},
                    HeldReply{"PassivePortNamedLate",
                              "PASV",
                              "pasv-syn-dropping",
                              "227",
                              2,
                              {"CWD /site", "PASV", "LIST", "CWD /site/a", "PASV"}},
                    HeldReply{"DeadPassivePortNamedLate",
                              "PASV",
                              "pasv-dead",
                              "227",
                              2,
                              {"CWD /site", "PASV", "LIST", "CWD /site/a", "PASV"}}),
    [](const testing::TestParamInfo<HeldReply>& info) { return std::string(info.param.name); });

// The same against real servers: one stopped (SIGSTOP) once it has named the data port of a
// folder's listing, so that the system takes the data connection and nothing more is said; and
// one that walks on as usual while the key is pressed.
class StoppedServerWalk : public SyncWindowTest {
protected:
    void TearDown() override {
        if (stopped_) server->Signal(SIGCONT);
        SyncWindowTest::TearDown();
    }
    bool stopped_ = false;
};

// pyftpdlib: a stopped vsftpd does not go on afterwards (its session's processes wait on each
// other), and the test needs the server to read QUIT once it is let go.
TEST_F(StoppedServerWalk, TheCancelKeyEndsTheListingOfAStoppedServer) {
    StartServer(ServerKind::Pyftpdlib);
    server->PutDir("a");
    server->Put("a/page.html", "p");
    server->Put("old.txt", "o");
    MakeTree(localRoot, {{"index.html", "i"}});
    FillEditPage(*server, true);
    const auto report = w->commandSocket.gotResponse;
    w->commandSocket.gotResponse = [&](FtpCommandSocket& socket, const std::string& line) {
        report(socket, line);
        if (stopped_ || line.rfind("227", 0) != 0 || !fw::EndsWith(w->currentPath, "/a")) return;
        server->Signal(SIGSTOP);
        stopped_ = true;
    };
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return stopped_ && w->dataConnected; })) << LogText();

    ASSERT_NO_FATAL_FAILURE(CancelUntilRead([&] { return LogText(); }));
    EXPECT_FALSE(w->DataConnectionOpen());
    EXPECT_FALSE(Enabled(TagSync));

    ASSERT_TRUE(Click(TagDiscon));
    EXPECT_TRUE(Enabled(TagConnect));
    EXPECT_EQ(w->pMode, ConnectClosed);
    // The server goes on: it answers the LIST whose data connection has gone, then QUIT.
    server->Signal(SIGCONT);
    stopped_ = false;
    EXPECT_TRUE(testsupport::WaitUntil([&] { return server->Received("QUIT") == 1; })) << LogText();
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !w->commandSocket.IsConnected(); }));
    fw::ProcessPendingEvents();
    EXPECT_TRUE(Messages().empty()) << Messages()[0];
    EXPECT_TRUE(Unexpected().empty());
}

class RealServerWalk : public SyncWindowTest, public testing::WithParamInterface<ServerKind> {};

TEST_P(RealServerWalk, TheCancelKeyDuringAWalkUnderWayCancelsTheComparison) {
    StartServer(GetParam());
    server->Put("index.html", "i");
    for (int f = 0; f < 4; ++f) {
        const std::string folder = "d" + std::to_string(f);
        server->PutDir(folder);
        for (int i = 0; i < 50; ++i) server->Put(folder + "/old" + std::to_string(i) + ".txt", "o");
    }
    MakeTree(localRoot, {{"index.html", "i"}});
    FillEditPage(*server, true, 1);  // upload and delete: what only the server has is ticked
    // The key once the root's listing is in; the walk goes on by itself from there.
    bool pressed = false;
    const auto listed = w->dataSocket.gotList;
    w->dataSocket.gotList = [&](FtpDataSocket& socket, const std::string& text) {
        listed(socket, text);
        if (pressed) return;
        pressed = true;
        fw::LatchUserCancel();
    };
    ASSERT_TRUE(Click(TagConnect));
    // A bound for a machine with every core busy, not a figure.
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return pressed && !w->pSyncRFlg && !w->pComparePass && w->ConnectionsQuiet(); },
        30000))
        << LogText();
    fw::ProcessPendingEvents();
    EXPECT_EQ(LogLines(kCompareCancelledText).size(), 1u) << LogText();
    EXPECT_EQ(Ticked(w->pSyncR), std::vector<std::string>{});
    EXPECT_FALSE(Enabled(TagSync));
    EXPECT_FALSE(w->pCompared);

    ASSERT_TRUE(Click(TagDiscon));
    EXPECT_TRUE(testsupport::WaitUntil([&] { return server->Received("QUIT") == 1; })) << LogText();
    EXPECT_TRUE(Messages().empty()) << Messages()[0];
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServerWalk,
                         testing::Values(ServerKind::Vsftpd, ServerKind::Pyftpdlib), KindTestName);

}  // namespace
}  // namespace synctest
