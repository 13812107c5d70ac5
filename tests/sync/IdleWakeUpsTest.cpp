// An idle program does nothing: after start-up, after a comparison and after a run, the event
// loop left alone paints nothing and wakes only for the rate display's timer, twice a second; the
// progress bar is at rest, its busy indicator stopped.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include "tests/support/EventCount.h"
#include "tests/sync/ScriptedSiteFixture.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

using testsupport::EventCount;

// The program's own loop, left alone.
void Idle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class IdleWakeUps : public SyncWindowTest {
protected:
    // First a moment for what the last action left to do (the log's last batch, a last
    // repaint), then a second, counted.
    void ExpectIdle(const char* when) {
        SCOPED_TRACE(when);
        EXPECT_NE(w->ProgressBar1->Maximum(), 0) << "the bar is at rest";
        Idle(300);
        EventCount count;
        Idle(1000);
        EXPECT_EQ(count.paints, 0);
        EXPECT_LE(count.timers, 3) << "the rate display's timer only";
    }
};

TEST_F(IdleWakeUps, AfterStartUpAComparisonAndARun) {
    StartServer(ServerKind::Vsftpd);
    Tree tree;
    for (int f = 0; f < 5; ++f) {
        tree["f" + std::to_string(f)] = kFolder;
        tree["f" + std::to_string(f) + "/page.html"] = "<p>" + std::to_string(f) + "</p>\n";
    }
    MakeTree(localRoot, tree);
    ExpectIdle("after start-up");
    FillEditPage(*server, true);
    ASSERT_TRUE(ConnectAndCompare()) << LogText();
    ExpectIdle("after a comparison");

    std::vector<std::string> uploads;
    for (const auto& [path, bytes] : tree) uploads.push_back(path);
    ExpectConfirmation("アップロード対象", uploads);
    ExpectMessage("同期が終了しました。 [dat]");
    ASSERT_TRUE(SyncAndWait()) << LogText();
    ExpectIdle("after a run");
}

// A listing that takes its time, as over a real network: the bar shows its busy indicator while
// it comes, and is still once the comparison is done.
class IdleAfterASlowListing : public ScriptedSiteTest {};

TEST_F(IdleAfterASlowListing, TheBusyIndicatorStopsWithTheWalk) {
    SetRemoteTree({{"a.txt", "a\n"}});
    MakeTree(localRoot, {{"a.txt", "a\n"}});
    QWidget* bar = w->ProgressBar1->Widget();
    site->holdListing = true;
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return site->ListingHeld(); }));
    {
        EventCount busy(bar);
        ASSERT_TRUE(testsupport::WaitUntil([&] { return busy.paints >= 3; }))
            << "the busy indicator moves while the listing comes";
    }
    site->holdListing = false;
    site->ReleaseListing();
    ASSERT_TRUE(Compared()) << LogText();
    EXPECT_NE(w->ProgressBar1->Maximum(), 0);
    Idle(300);
    EventCount idle(bar);
    Idle(1000);
    EXPECT_EQ(idle.paints, 0) << "the bar is painted only when it changes";
}

// Disconnected while a listing was on its way (its PASV not yet answered, no data connection
// open): nothing is under way any more, and the bar is at rest.
TEST_F(IdleAfterASlowListing, ADisconnectPutsTheBarAtRest) {
    bool pasvHeld = false;
    site->Intercept = [&](const std::string& line) {
        if (line != "PASV") return false;
        pasvHeld = true;
        return true;
    };
    ASSERT_TRUE(Click(TagConnect));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return pasvHeld; }));
    ASSERT_EQ(w->ProgressBar1->Maximum(), 0) << "busy while the listing comes";
    ASSERT_TRUE(Click(TagDiscon));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return !w->commandSocket.IsConnected(); }));
    EXPECT_NE(w->ProgressBar1->Maximum(), 0);
    EXPECT_TRUE(Unexpected().empty());
}

}  // namespace
}  // namespace synctest
