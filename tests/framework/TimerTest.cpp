#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <algorithm>
#include <memory>

#include "framework/EventLoop.h"
#include "framework/Timer.h"

namespace {

// A test's timers run against a slower sentinel: once it has fired, a timer that was going to fire
// again would have done so.
class TimerTest : public testing::Test {
protected:
    void RunUntilSentinel(int periodMs) {
        bool done = false;
        fw::Timer sentinel;
        sentinel.SetPeriod(periodMs);
        sentinel.Action = [&](fw::Timer&) { done = true; };
        sentinel.SetMode(fw::Timer::kModeSingle);
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return done; }, 10000));
    }

    fw::Timer timer;
    int fired = 0;
};

TEST_F(TimerTest, ASingleShotFiresOnceAndTurnsItselfOff) {
    fw::Timer* seen = nullptr;
    int modeSeen = -1;
    timer.SetPeriod(5);
    timer.Action = [&](fw::Timer& t) {
        ++fired;
        seen = &t;
        modeSeen = t.GetMode();
    };
    timer.SetMode(fw::Timer::kModeSingle);
    EXPECT_EQ(timer.GetMode(), fw::Timer::kModeSingle);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return fired == 1; }, 5000));
    EXPECT_EQ(seen, &timer);
    EXPECT_EQ(modeSeen, fw::Timer::kModeOff);
    EXPECT_EQ(timer.GetMode(), fw::Timer::kModeOff);
    RunUntilSentinel(60);
    EXPECT_EQ(fired, 1);
}

TEST_F(TimerTest, ARepeatingTimerFiresUntilTurnedOff) {
    timer.SetPeriod(2);
    timer.Action = [&](fw::Timer& t) {
        if (++fired == 3) t.SetMode(fw::Timer::kModeOff);
        EXPECT_LE(fired, 3);
    };
    timer.SetMode(fw::Timer::kModeMultiple);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return fired == 3; }, 5000));
    EXPECT_EQ(timer.GetMode(), fw::Timer::kModeOff);
    RunUntilSentinel(60);
    EXPECT_EQ(fired, 3);
}

TEST_F(TimerTest, TurningAPendingSingleShotOffCancelsIt) {
    timer.SetPeriod(5);
    timer.Action = [&](fw::Timer&) { ++fired; };
    timer.SetMode(fw::Timer::kModeSingle);
    timer.SetMode(fw::Timer::kModeOff);
    RunUntilSentinel(60);
    EXPECT_EQ(fired, 0);
}

TEST_F(TimerTest, ResetRestartsOnlyAPendingCountdown) {
    timer.SetPeriod(5);
    timer.Action = [&](fw::Timer&) { ++fired; };
    timer.SetMode(fw::Timer::kModeSingle);
    timer.Reset();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return fired == 1; }, 5000));
    timer.Reset();  // the shot has fired: nothing is pending
    timer.SetMode(fw::Timer::kModeOff);
    timer.Reset();
    RunUntilSentinel(60);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(timer.GetMode(), fw::Timer::kModeOff);
}

// A transfer's watchdog is reset for every chunk: each Reset postpones the pending shot to a full
// period after it, and the shot fires once, a period after the last. The resets come a tenth of a
// period apart and go on for one and a half: a shot they did not postpone fires a full period
// after it was armed, half a period before they end, and only a loop held up for most of a
// second could let a postponed one fire early.
TEST_F(TimerTest, ResetPostponesAPendingSingleShotByAFullPeriod) {
    constexpr int kPeriodMs = 1000;
    timer.SetPeriod(kPeriodMs);
    QElapsedTimer sinceLastReset;
    int resets = 0;
    fw::Timer resetter;
    resetter.SetPeriod(kPeriodMs / 10);
    resetter.Action = [&](fw::Timer& t) {
        timer.Reset();
        sinceLastReset.start();
        if (++resets == 15) t.SetMode(fw::Timer::kModeOff);
    };
    qint64 firedAfter = -1;
    timer.Action = [&](fw::Timer&) {
        ++fired;
        firedAfter = sinceLastReset.elapsed();
    };
    timer.SetMode(fw::Timer::kModeSingle);
    sinceLastReset.start();
    resetter.SetMode(fw::Timer::kModeMultiple);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return fired == 1; }, 20000));
    EXPECT_EQ(resets, 15) << "fired while it was still being reset";
    EXPECT_GE(firedAfter, kPeriodMs * 9 / 10);  // the platform's timers may come a little early
    EXPECT_EQ(timer.GetMode(), fw::Timer::kModeOff);
    RunUntilSentinel(kPeriodMs * 6 / 5);
    EXPECT_EQ(fired, 1);
}

// Were the shot re-armed, it would take the new, far longer period.
TEST_F(TimerTest, ArmingAPendingSingleShotLeavesItAsItIs) {
    timer.SetPeriod(10);
    timer.Action = [&](fw::Timer&) { ++fired; };
    timer.SetMode(fw::Timer::kModeSingle);
    timer.SetPeriod(600000);
    timer.SetMode(fw::Timer::kModeSingle);
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return fired == 1; }, 5000));
    EXPECT_EQ(timer.GetPeriod(), 600000);
}

TEST_F(TimerTest, ArmingASingleShotFromItsOwnActionSchedulesOneMore) {
    timer.SetPeriod(2);
    timer.Action = [&](fw::Timer& t) {
        if (++fired == 1) t.SetMode(fw::Timer::kModeSingle);
    };
    timer.SetMode(fw::Timer::kModeSingle);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return fired == 2; }, 5000));
    RunUntilSentinel(60);
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(timer.GetMode(), fw::Timer::kModeOff);
}

// The action comes through the dispatcher: while it gives way, the timer's next firings wait for
// it to return; once it has turned the timer off, none of them runs.
TEST_F(TimerTest, AnActionThatGivesWayIsNotEnteredAgain) {
    struct Case {
        const char* name;
        int offAtAction;
    };
    const Case cases[] = {{"turned off by the action that gave way", 1},
                          {"turned off by the next action", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int depth = 0, maxDepth = 0;
        fired = 0;
        timer.SetPeriod(1);
        timer.Action = [&](fw::Timer& t) {
            maxDepth = std::max(maxDepth, ++depth);
            if (++fired == 1) RunUntilSentinel(30);  // the timer keeps firing meanwhile
            if (fired == c.offAtAction) t.SetMode(fw::Timer::kModeOff);
            --depth;
        };
        timer.SetMode(fw::Timer::kModeMultiple);
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return fired >= c.offAtAction; }, 5000));
        RunUntilSentinel(30);
        EXPECT_EQ(maxDepth, 1);
        EXPECT_EQ(fired, c.offAtAction);
    }
}

TEST(TimerLifetimeTest, AnActionMayDestroyItsTimer) {
    auto timer = std::make_unique<fw::Timer>();
    bool fired = false;
    timer->SetPeriod(1);
    timer->Action = [&](fw::Timer&) {
        fired = true;
        timer.reset();
    };
    timer->SetMode(fw::Timer::kModeMultiple);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return fired; }, 5000));
    EXPECT_EQ(timer, nullptr);
    fw::ProcessPendingEvents();
}

}  // namespace
