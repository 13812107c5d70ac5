#pragma once

// The remote walk held up for good at the listing of /site/a, in the ways a server or a network
// can hold it: the scripted site plays the hold, and the fixture says when the walk is stuck past
// any point where it could end by itself.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTimer>
#include <chrono>
#include <string>
#include <vector>

#include "tests/sync/ScriptedSiteFixture.h"

namespace synctest {

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

inline void PrintTo(const StuckListing& c, std::ostream* os) {
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
    using Clock = std::chrono::steady_clock;

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

    // Connects and waits until the walk is stuck on the held listing.
    void WalkIntoTheHold() {
        const StuckListing c = GetParam();
        if (c.hold == Hold::SynDropped) {
            ASSERT_NE(synDropping_.Port(), 0) << "the accept queue would not fill";
        }
        if (!c.passive) FillEditPage("user", "secret", "/site", false);
        ASSERT_TRUE(Click(TagConnect));
        ASSERT_TRUE(testsupport::WaitUntil([&] { return Stuck(); })) << LogText();
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

// Every way of holding the listing up.
inline const StuckListing kStuckListings[] = {
    StuckListing{"SilentDataConnection", Hold::SilentData, true, "426 Transfer aborted."},
    StuckListing{"OneByteEveryTwoSeconds", Hold::Trickle, true, "426 Transfer aborted."},
    StuckListing{"FinalReplyWithTheDataConnectionLeftOpen", Hold::ReplyWithDataOpen, true, ""},
    StuckListing{"PassivePortDroppingSyns", Hold::SynDropped, true, ""},
    StuckListing{"ActiveConnectionThatNeverComes", Hold::ActiveNeverComes, false, ""},
};

}  // namespace synctest
