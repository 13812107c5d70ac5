// How the program keeps answering: the event loop's longest stall while lines and replies of
// megabytes come through, and the time a stuck walk takes to end after the cancel key. The cases
// are those the tests once timed, set up through the tests' own fixtures on gtest's runner: each
// notes its figure, and asserts only that its set-up went as it should (a failure is printed and
// makes the exit status 1). Every case runs kRuns times; each figure prints, once all have run,
// as the median of its runs. The process runs in a network namespace of its own, where the
// scripted site takes port 21.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>

#include "bench/GoalFigures.h"
#include "tests/support/TestProcess.h"
#include "tests/sync/PrivateNetwork.h"

namespace {

constexpr int kRuns = 5;

// Only what went wrong, on stderr: the figures are the output.
class FailurePrinter : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (!result.failed()) return;
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        std::fprintf(stderr, "%s.%s failed at %s:%d: %s\n", test ? test->test_suite_name() : "",
                     test ? test->name() : "", result.file_name() ? result.file_name() : "",
                     result.line_number(), result.message());
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (!synctest::InPrivateNetwork()) {
        std::fprintf(stderr, "needs a private network namespace (run as root)\n");
        return 1;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    GTEST_FLAG_SET(repeat, kRuns);  // before the command line, which may say otherwise
    testing::InitGoogleTest(&argc, argv);
    testsupport::PrepareTestProcess();
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new FailurePrinter);
    const int failed = RUN_ALL_TESTS();
    bench::GoalFigures::PrintMedians();
    return failed;
}
