// The time from the cancel key to the end of a remote walk held up for good (the cancelled
// comparison's line in the log), in each way the walk's fixture holds the listing up.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "bench/GoalFigures.h"
#include "compare/CompareCancelled.h"
#include "framework/UserCancel.h"
#include "tests/sync/StuckWalkFixture.h"

namespace synctest {
namespace {

const char* HoldName(Hold hold) {
    switch (hold) {
        case Hold::SilentData:
            return "a silent data connection";
        case Hold::Trickle:
            return "a listing of a byte every two seconds";
        case Hold::ReplyWithDataOpen:
            return "226 with the data connection left open";
        case Hold::SynDropped:
            return "a passive port that drops the connection's SYNs";
        case Hold::ActiveNeverComes:
            return "an active connection that never comes";
    }
    return "";
}

TEST_P(StuckWalk, TimeFromTheCancelKeyToTheWalksEnd) {
    ASSERT_NO_FATAL_FAILURE(WalkIntoTheHold());
    const Clock::time_point pressed = Clock::now();
    fw::LatchUserCancel();
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return LogText().find(kCompareCancelledText) != std::string::npos; }, 20000))
        << LogText();
    const std::chrono::duration<double, std::milli> took = Clock::now() - pressed;
    bench::GoalFigures::Note(bench::kCancelGoal, HoldName(GetParam().hold), took.count());
}

INSTANTIATE_TEST_SUITE_P(Listings, StuckWalk, testing::ValuesIn(kStuckListings),
                         [](const testing::TestParamInfo<StuckListing>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace synctest
