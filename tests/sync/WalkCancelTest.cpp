// The cancel key during the remote walk. A server or a network can hold a listing up for good:
// the walk reads the key all the same, and once it has, the walk has ended, the listing's data
// connection closed, the comparison ends as cancelled with Sync off, and 切断 sends QUIT. A cancel
// during a walk that is only under way cancels the comparison just the same. (How soon the key is
// read is the benchmarks' figure.)
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTimer>
#include <chrono>
#include <csignal>
#include <vector>

#include "compare/CompareCancelled.h"
#include "framework/UserCancel.h"
#include "tests/support/FreePort.h"
#include "tests/sync/ScriptedSiteFixture.h"

namespace synctest {
namespace {

using Clock = std::chrono::steady_clock;

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

// A port on 127.0.0.1 whose accept queue is full of connections nobody accepts: the system drops
// every further SYN, so a connection to it neither comes up nor fails.
class SynDroppingPort {
public:
    SynDroppingPort() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            listen(listener_, 0) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        // Connections until one stays unanswered: the queue is full from then on.
        for (int i = 0; i < 16 && !full_; ++i) {
            const int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            fillers_.push_back(filler);
            connect(filler, reinterpret_cast<sockaddr*>(&address), length);
            pollfd up{filler, POLLOUT, 0};
            full_ = poll(&up, 1, 300) == 0;
        }
    }
    ~SynDroppingPort() {
        for (int filler : fillers_) close(filler);
        if (listener_ >= 0) close(listener_);
    }
    SynDroppingPort(const SynDroppingPort&) = delete;
    SynDroppingPort& operator=(const SynDroppingPort&) = delete;

    int Port() const { return full_ ? port_ : 0; }

private:
    int listener_ = -1;
    int port_ = 0;
    bool full_ = false;
    std::vector<int> fillers_;
};

// How the server holds up the listing of /site/a.
enum class Hold {
    SilentData,         // the data connection up, 150 sent, then nothing
    Trickle,            // one byte of the listing every two seconds
    ReplyWithDataOpen,  // the listing and its 226, the data connection left open
    SynDropped,         // PASV names a port that drops the client's SYNs
    ActiveNeverComes,   // PORT taken, the server never connects
};

struct StuckListing {
    const char* name;
    Hold hold;
    bool passive;
    // What the server says once the client has dropped the data connection ("": nothing).
    const char* afterDrop;
};

void PrintTo(const StuckListing& c, std::ostream* os) {
    *os << c.name;
}

// The site the walks below go through: the listing of /site/a, or a reply on the way to it, is
// the one held up.
template <typename Case>
class HeldWalkTest : public ScriptedSiteTest, public testing::WithParamInterface<Case> {
protected:
    // Answers false when the fixture is skipped.
    bool LayOutSite() {
        ScriptedSiteTest::SetUp();
        if (IsSkipped()) return false;
        SetRemoteTree({{"a", kFolder}, {"a/page.html", "p"}, {"old.txt", "o"}});
        MakeTree(localRoot, {{"index.html", "i"}});
        return true;
    }
};

class StuckWalk : public HeldWalkTest<StuckListing> {
protected:
    void SetUp() override {
        if (!LayOutSite()) return;
        site->Intercept = [this](const std::string& line) { return Play(line); };
        poll_.setInterval(5);
        QObject::connect(&poll_, &QTimer::timeout, [this] { MoveHold(); });
        poll_.start();
    }

    // The listing of /site/a is held up; everything else is answered as a server would.
    bool Play(const std::string& line) {
        const Hold hold = GetParam().hold;
        if (line.rfind("CWD ", 0) == 0) cwd_ = line.substr(4);
        if (line.rfind("PORT ", 0) == 0) {
            const size_t last = line.rfind(','), before = line.rfind(',', last - 1);
            activePort_ =
                std::stoi(line.substr(before + 1)) * 256 + std::stoi(line.substr(last + 1));
            site->server.Send("200 PORT command successful\r\n");
            return true;
        }
        const bool stuckFolder = cwd_ == "/site/a";
        if (line == "PASV" && stuckFolder && hold == Hold::SynDropped) {
            site->server.Send(testsupport::ScriptedFtpServer::Pasv227Text(synDropping_.Port()) +
                              "\r\n");
            return true;
        }
        if (line.rfind("LIST", 0) != 0) return false;
        if (!stuckFolder) {
            if (activePort_ != 0) site->server.ConnectData(activePort_);
            activePort_ = 0;
            return false;  // the site sends it once the data connection is up
        }
        held_ = true;
        if (hold == Hold::SilentData || hold == Hold::Trickle)
            site->server.Send("150 Here comes the listing\r\n");
        return true;
    }
    void MoveHold() {
        if (!held_) return;
        const Hold hold = GetParam().hold;
        testsupport::ScriptedFtpServer& server = site->server;
        if (hold == Hold::Trickle && server.DataConnected() &&
            (trickled_ == 0 || Clock::now() - lastByte_ >= std::chrono::seconds(2))) {
            server.SendData(std::string(1, kListing[trickled_ % kListing.size()]));
            ++trickled_;
            lastByte_ = Clock::now();
        }
        if (hold == Hold::ReplyWithDataOpen && !replied_ && server.DataConnected()) {
            replied_ = true;
            server.Send("150 Here comes the listing\r\n");
            server.SendData(kListing);
            server.Send("226 Listing sent\r\n");
        }
        if (*GetParam().afterDrop && !dropAnswered_ && server.DataClosedByClient()) {
            dropAnswered_ = true;
            server.Send(std::string(GetParam().afterDrop) + "\r\n");
        }
    }

    // The walk is waiting on the held listing, past any point where it could end by itself.
    bool Stuck() const {
        if (!held_ || !w->DataConnectionOpen()) return false;
        switch (GetParam().hold) {
            case Hold::SilentData:
                return w->dataConnected && LogLines("150").size() == 2;
            case Hold::Trickle:
                return !w->dataSocket.listData.empty();
            case Hold::ReplyWithDataOpen:
                return LogLines("226").size() == 2;
            case Hold::SynDropped:
                return true;
            case Hold::ActiveNeverComes:
                return w->dataSocket.IsListening();
        }
        return false;
    }
    bool ServerHadDataConnection() const {
        const Hold hold = GetParam().hold;
        return hold == Hold::SilentData || hold == Hold::Trickle || hold == Hold::ReplyWithDataOpen;
    }

    static inline const std::string kListing =
        "-rw-r--r--    1 ftp      ftp 1 Jan 01  2099 page.html\r\n";
    SynDroppingPort synDropping_;

private:
    QTimer poll_;
    std::string cwd_;
    int activePort_ = 0;
    bool held_ = false;
    bool replied_ = false;
    bool dropAnswered_ = false;
    size_t trickled_ = 0;
    Clock::time_point lastByte_;
};

TEST_P(StuckWalk, TheCancelKeyEndsTheWalkAndDisconnectSendsQuit) {
    const StuckListing c = GetParam();
    if (c.hold == Hold::SynDropped) {
        ASSERT_NE(synDropping_.Port(), 0) << "the accept queue would not fill";
    }
    if (!c.passive) FillEditPage("user", "secret", "/site", false);
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Stuck(); })) << LogText();
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

INSTANTIATE_TEST_SUITE_P(
    Listings, StuckWalk,
    testing::Values(
        StuckListing{"SilentDataConnection", Hold::SilentData, true, "426 Transfer aborted."},
        StuckListing{"OneByteEveryTwoSeconds", Hold::Trickle, true, "426 Transfer aborted."},
        StuckListing{"FinalReplyWithTheDataConnectionLeftOpen", Hold::ReplyWithDataOpen, true, ""},
        StuckListing{"PassivePortDroppingSyns", Hold::SynDropped, true, ""},
        StuckListing{"ActiveConnectionThatNeverComes", Hold::ActiveNeverComes, false, ""}),
    [](const testing::TestParamInfo<StuckListing>& info) { return std::string(info.param.name); });

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
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        return pressed && !w->pSyncRFlg && !w->pComparePass && w->ConnectionsQuiet();
    })) << LogText();
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
