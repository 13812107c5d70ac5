#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/EventDispatcher.h"
#include "framework/EventLoop.h"
#include "framework/Thread.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace {

using Log = std::vector<std::string>;

TEST(DispatcherTest, ASourceRunsItsEventsOneAfterAnotherWhileOtherSourcesGoOn) {
    fw::EventSource socket, timer;
    Log log;
    bool timerRan = false;
    socket.Deliver([&] {
        log.push_back("socket 1 begins");
        PostToEventLoop([&] { socket.Deliver([&] { log.push_back("socket 2"); }); });
        PostToEventLoop([&] { socket.Deliver([&] { log.push_back("socket 3"); }); });
        PostToEventLoop([&] {
            timer.Deliver([&] {
                log.push_back("timer");
                timerRan = true;
            });
        });
        // The handler gives way, as the program's long loops do.
        EXPECT_TRUE(fw::RunEventLoopUntil([&] { return timerRan; }, 5000));
        fw::GiveWay();
        EXPECT_TRUE(socket.Busy());
        log.push_back("socket 1 ends");
    });
    EXPECT_EQ(log, (Log{"socket 1 begins", "timer", "socket 1 ends", "socket 2", "socket 3"}));
    EXPECT_FALSE(socket.Busy());
}

TEST(DispatcherTest, AnEscapedExceptionIsReportedAndTheSourceGoesOn) {
    CapturedExceptions caught;
    fw::EventSource source;
    Log log;
    source.Deliver([&] {
        source.Deliver([&] { log.push_back("queued behind the failure"); });
        throw std::runtime_error("boom");
    });
    source.Deliver([] { throw 42; });
    // Through the real event loop too: the loop survives and goes on delivering.
    bool later = false;
    PostToEventLoop([&] { source.Deliver([] { throw std::logic_error("from the loop"); }); });
    PostToEventLoop([&] { source.Deliver([&] { later = true; }); });
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return later; }, 5000));

    EXPECT_EQ(caught.What(), (Log{"boom", "unknown exception", "from the loop"}));
    EXPECT_EQ(log, Log{"queued behind the failure"});
    EXPECT_FALSE(source.Busy());
}

TEST(DispatcherTest, AHandlerThatDestroysItsSourceDropsItsQueue) {
    auto source = std::make_unique<fw::EventSource>();
    bool queuedRan = false;
    source->Deliver([&] {
        source->Deliver([&] { queuedRan = true; });
        source.reset();
    });
    EXPECT_FALSE(queuedRan);
}

// A thread waiting for what a handler did goes on right after that handler, before the handlers
// queued behind it on the same source.
TEST(DispatcherTest, AWaitingThreadGoesOnRightAfterTheHandlerThatLetsItGoOn) {
    Log log;
    bool ready = false;
    LambdaThread waiter([&] {
        fw::GiveWayUntil([&] { return ready; });
        log.push_back("thread goes on");
    });
    waiter.Run();
    fw::GiveWay();  // the thread starts and waits
    ASSERT_TRUE(waiter.Running());
    fw::EventSource source;
    source.Deliver([&] {
        log.push_back("first");
        source.Deliver([&] { log.push_back("second"); });
        ready = true;
    });
    EXPECT_EQ(log, (Log{"first", "thread goes on", "second"}));
    EXPECT_FALSE(waiter.Running());
}

// A handler that runs on a cooperative thread and gives way there; the thread is killed while the
// handler waits. The source must not stay busy for ever.
TEST(DispatcherTest, AKilledThreadDoesNotLeaveItsSourceBusy) {
    fw::EventSource source;
    bool handlerWaits = false, handlerUnwound = false;
    LambdaThread thread([&] {
        source.Deliver([&] {
            DestructionFlag unwound{&handlerUnwound};
            handlerWaits = true;
            fw::GiveWayUntil([] { return false; });
        });
    });
    thread.Run();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return handlerWaits; }, 5000));
    Log log;
    source.Deliver([&] { log.push_back("arrived meanwhile"); });
    EXPECT_TRUE(log.empty());
    thread.Kill();
    EXPECT_TRUE(handlerUnwound);
    EXPECT_FALSE(source.Busy());
    // The event that waited is not lost: it runs, in order, with the source's next one.
    source.Deliver([&] { log.push_back("next"); });
    EXPECT_EQ(log, (Log{"arrived meanwhile", "next"}));
}

}  // namespace
