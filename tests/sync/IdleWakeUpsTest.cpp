// An idle program does nothing: after start-up, after a comparison and after a run, the event
// loop left alone paints nothing and wakes only for the rate display's timer; the progress bar is
// at rest, its busy indicator stopped. The loop is watched from one tick of that timer to the
// next, so that what is counted does not depend on how fast the machine is.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTimer>
#include <map>

#include "tests/support/EventCount.h"
#include "tests/sync/ScriptedSiteFixture.h"
#include "tests/sync/SyncWindowFixture.h"

namespace synctest {
namespace {

using testsupport::EventCount;

// The window's status timer (the rate display's, twice a second), whose ticks the loop is left
// alone between.
class StatusTicks {
public:
    explicit StatusTicks(Window1& w) : timer_(w.statusTimer), action_(timer_.Action) {
        timer_.Action = [this](fw::Timer& t) {
            if (action_) action_(t);
            if (++ticks_ >= until_ && loop_) loop_->quit();
        };
    }
    ~StatusTicks() { timer_.Action = action_; }

    // Runs the loop until the timer has ticked n times more; answers whether it did. Nothing but
    // the ticks ends the wait, save a bound that only a timer that stopped ticking reaches.
    bool Wait(int n) {
        QEventLoop loop;
        until_ = ticks_ + n;
        loop_ = &loop;
        QTimer::singleShot(10000 + 1000 * n, &loop, &QEventLoop::quit);
        loop.exec();
        loop_ = nullptr;
        return ticks_ >= until_;
    }

private:
    fw::Timer& timer_;
    std::function<void(fw::Timer&)> action_;
    QEventLoop* loop_ = nullptr;
    int ticks_ = 0;
    int until_ = 0;
};

// What the last action left to do is done: the log's last batch is shown, and two ticks have
// passed, with whatever repaint that batch asked for, which is due long before them.
void Settle(Window1& w) {
    auto* pane = static_cast<QPlainTextEdit*>(w.EditField5->Widget());
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return pane->toPlainText().toStdString() == w.EditField5->Text(); }));
    ASSERT_TRUE(StatusTicks(w).Wait(2));
}

class IdleWakeUps : public SyncWindowTest {
protected:
    // From one tick to the second after it, the loop wakes for those two ticks and for nothing
    // else: the busy indicator left running woke it every frame, thirty times between two ticks.
    void ExpectIdle(const char* when) {
        SCOPED_TRACE(when);
        EXPECT_NE(w->ProgressBar1->Maximum(), 0) << "the bar is at rest";
        Settle(*w);
        StatusTicks ticks(*w);
        ASSERT_TRUE(ticks.Wait(1));
        EventCount count;
        ASSERT_TRUE(ticks.Wait(2));
        EXPECT_EQ(count.paints, 0);
        EXPECT_EQ(count.timers, 2) << "the rate display's timer only; timer events went to "
                                   << testing::PrintToString(count.timed);
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
    Settle(*w);
    StatusTicks ticks(*w);
    ASSERT_TRUE(ticks.Wait(1));
    EventCount idle(bar);
    ASSERT_TRUE(ticks.Wait(2));
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
