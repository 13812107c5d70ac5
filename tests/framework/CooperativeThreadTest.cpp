#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTimer>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/TCPSocket.h"
#include "framework/Thread.h"
#include "framework/Timer.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace {

using Log = std::vector<std::string>;

TEST(CooperativeThreadTest, TurnsInterleaveOnlyWhereAThreadGivesWay) {
    Log log;
    auto body = [&log](const std::string& name) {
        return [&log, name] {
            EXPECT_EQ(fw::Thread::Current() != nullptr, fw::OnCooperativeThread());
            for (int i = 0; i < 3; ++i) {
                log.push_back(name + std::to_string(i) + "<");
                log.push_back(name + std::to_string(i) + ">");
                fw::GiveWay();
            }
        };
    };
    LambdaThread a(body("a")), b(body("b"));
    a.Run();
    b.Run();
    EXPECT_TRUE(log.empty()) << "Run only schedules the body";
    EXPECT_FALSE(fw::OnCooperativeThread());
    EXPECT_EQ(fw::Thread::Current(), nullptr);

    fw::GiveWay();  // the main thread's give-way hands every runnable thread a turn
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(Log(log.begin(), log.begin() + 4), (Log{"a0<", "a0>", "b0<", "b0>"}));
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !a.Running() && !b.Running(); }, 5000));
    EXPECT_EQ(log, (Log{"a0<", "a0>", "b0<", "b0>", "a1<", "a1>", "b1<", "b1>", "a2<", "a2>", "b2<",
                        "b2>"}));
}

TEST(CooperativeThreadTest, CurrentAnswersTheThreadWhoseBodyRuns) {
    fw::Thread* seen = nullptr;
    LambdaThread thread;
    thread.body = [&] { seen = fw::Thread::Current(); };
    thread.Run();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !thread.Running(); }, 5000));
    EXPECT_EQ(seen, &thread);
}

// The thread must go on right after the event that makes its condition true, not when a backstop
// timer next looks. The main thread spins through its loop and counts passes.
TEST(CooperativeThreadTest, GiveWayUntilWakesRightAfterTheEventThatMakesItTrue) {
    bool flag = false;
    int passes = 0, passAtAction = -1, passAtWake = -1;
    LambdaThread waiter([&] {
        fw::GiveWayUntil([&] { return flag; });
        EXPECT_TRUE(flag);
        passAtWake = passes;
    });
    fw::Timer timer;
    timer.SetPeriod(30);
    timer.Action = [&](fw::Timer&) {
        EXPECT_EQ(passAtWake, -1) << "woke before its condition held";
        flag = true;
        passAtAction = passes;
    };
    waiter.Run();
    fw::GiveWay();  // the thread starts and waits
    ASSERT_TRUE(waiter.Running());
    timer.SetMode(fw::Timer::kModeSingle);

    QElapsedTimer clock;
    clock.start();
    while (passAtWake < 0 && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        ++passes;
    }
    ASSERT_GE(passAtAction, 0);
    ASSERT_GE(passAtWake, 0);
    EXPECT_LE(passAtWake - passAtAction, 1);
}

// A condition that another thread makes true is seen after that thread's turn, while the main
// thread sits in a plain event loop.
TEST(CooperativeThreadTest, AWaitingThreadSeesAConditionSetByAnotherThread) {
    bool flag = false, woke = false;
    QEventLoop loop;
    LambdaThread waiter([&] {
        fw::GiveWayUntil([&] { return flag; });
        woke = true;
        loop.quit();
    });
    LambdaThread setter([&] {
        fw::GiveWay();
        flag = true;
    });
    waiter.Run();
    setter.Run();
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(woke);
}

// Counts the passes of the platform's event loop while it lives.
class LoopPasses {
public:
    LoopPasses() {
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                         &context_, [this] { ++count; });
    }
    int count = 0;

private:
    QObject context_;
};

// What may make a waiting thread's condition true wakes it: a timer's action, a socket's event,
// a platform signal that bypasses the dispatcher (as a widget's would). Until then the main loop
// sleeps: nothing polls the condition. The main thread sits in a plain event loop throughout.
TEST(CooperativeThreadTest, AWaitingThreadIsWokenByWhatChangesItsConditionAndByNothingElse) {
    QTcpServer peer;
    ASSERT_TRUE(peer.listen(QHostAddress::LocalHost));
    fw::TCPSocket socket;
    socket.Address = "127.0.0.1";
    socket.Port = peer.serverPort();
    // The events come a second after the wait begins: a condition polled every 20 ms would take
    // fifty passes meanwhile, however loaded the machine, where waking costs a few.
    constexpr int kEventMs = 1000;
    fw::Timer timer;
    timer.SetPeriod(kEventMs);
    bool timerFired = false, signalled = false;
    timer.Action = [&](fw::Timer&) { timerFired = true; };

    struct Case {
        const char* what;
        std::function<void()> start;
        std::function<bool()> ready;
    };
    const Case cases[] = {
        {"a timer's action", [&] { timer.SetMode(fw::Timer::kModeSingle); },
         [&] { return timerFired; }},
        {"a socket's state", [&] { socket.Connect(); }, [&] { return socket.IsConnected(); }},
        {"a platform signal",
         [&] {
             QTimer::singleShot(kEventMs, QCoreApplication::instance(), [&] { signalled = true; });
         },
         [&] { return signalled; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QEventLoop loop;
        bool woke = false;
        LambdaThread waiter([&] {
            fw::GiveWayUntil(c.ready);
            woke = true;
            loop.quit();
        });
        waiter.Run();
        fw::GiveWay();  // the thread starts and waits
        ASSERT_TRUE(waiter.Running());
        LoopPasses passes;
        c.start();
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_TRUE(woke);
        EXPECT_LT(passes.count, 6) << "a few passes for the event itself";
    }
}

// Only the idle pump resumes the thread here: the main thread sits in a plain Qt event loop.
TEST(CooperativeThreadTest, TheIdlePumpKeepsAGivingWayThreadGoing) {
    QEventLoop loop;
    int turns = 0;
    LambdaThread thread([&] {
        for (; turns < 1000; ++turns) fw::GiveWay();
        loop.quit();
    });
    thread.Run();
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(turns, 1000);
    EXPECT_FALSE(thread.Running());
}

TEST(CooperativeThreadTest, KillUnwindsTheStackAndTheBodyGoesNoFurther) {
    struct Case {
        const char* name;
        std::function<void()> wait;
    };
    const Case cases[] = {
        {"GiveWay",
         [] {
             for (;;) fw::GiveWay();
         }},
        {"GiveWayUntil", [] { fw::GiveWayUntil([] { return false; }); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool unwound = false, waiting = false, wentOn = false;
        LambdaThread thread([&] {
            DestructionFlag guard{&unwound};
            waiting = true;
            c.wait();
            wentOn = true;
        });
        thread.Run();
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return waiting; }, 5000));
        EXPECT_TRUE(thread.Running());
        thread.Kill();
        EXPECT_TRUE(unwound);
        EXPECT_FALSE(thread.Running());
        fw::ProcessPendingEvents();
        EXPECT_FALSE(wentOn);
    }
}

TEST(CooperativeThreadTest, AThreadMayKillItself) {
    bool unwound = false, wentOn = false;
    LambdaThread thread;
    thread.body = [&] {
        DestructionFlag guard{&unwound};
        fw::GiveWay();
        thread.Kill();
        wentOn = true;
    };
    thread.Run();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !thread.Running(); }, 5000));
    EXPECT_TRUE(unwound);
    EXPECT_FALSE(wentOn);
}

TEST(CooperativeThreadTest, KillingAThreadThatHasNotStartedMeansItNeverRuns) {
    int entered = 0;
    LambdaThread thread([&] { ++entered; });
    thread.Run();
    thread.Kill();
    EXPECT_FALSE(thread.Running());
    fw::ProcessPendingEvents();
    EXPECT_EQ(entered, 0);

    thread.Run();  // the same thread runs normally afterwards
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !thread.Running(); }, 5000));
    EXPECT_EQ(entered, 1);
}

TEST(CooperativeThreadTest, RunWhileRunningStartsTheBodyAfresh) {
    int starts = 0, unwound = 0;
    struct CountOnExit {
        int* n;
        ~CountOnExit() { ++*n; }
    };
    LambdaThread thread([&] {
        CountOnExit guard{&unwound};
        ++starts;
        fw::GiveWayUntil([] { return false; });
    });
    thread.Run();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return starts == 1; }, 5000));
    thread.Run();
    EXPECT_EQ(unwound, 1);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return starts == 2; }, 5000));
    EXPECT_TRUE(thread.Running());
    EXPECT_EQ(unwound, 1);
}

TEST(CooperativeThreadTest, DestroyingARunningThreadUnwindsIt) {
    bool unwound = false, waiting = false;
    {
        LambdaThread thread([&] {
            DestructionFlag guard{&unwound};
            waiting = true;
            fw::GiveWayUntil([] { return false; });
        });
        thread.Run();
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return waiting; }, 5000));
    }
    EXPECT_TRUE(unwound);
    fw::ProcessPendingEvents();  // nothing of it is left for the scheduler
}

long AddressSpaceKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long kb = 0;
    while (status >> key) {
        if (key == "VmSize:") {
            status >> kb;
            break;
        }
    }
    return kb;
}

// Each run maps an 8 MB stack; a run that ends, is killed or is restarted must give it back.
TEST(CooperativeThreadTest, ManyRunsDoNotLeakStacks) {
    LambdaThread thread([] {
        fw::GiveWay();
        fw::GiveWay();
    });
    long before = AddressSpaceKb();
    for (int i = 0; i < 1000; ++i) {
        thread.Run();
        switch (i % 3) {
            case 0:  // to the end
                ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !thread.Running(); }, 5000));
                break;
            case 1:  // killed half way
                fw::GiveWay();
                thread.Kill();
                break;
            case 2:  // restarted at the next Run
                fw::GiveWay();
                break;
        }
    }
    thread.Kill();
    long grownMb = (AddressSpaceKb() - before) / 1024;
    EXPECT_LT(grownMb, 100) << "1000 leaked stacks would take 8 GB";
}

int Recurse(int depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    if (depth == 0) return frame[0];
    return Recurse(depth - 1) + frame[0] - static_cast<char>(depth) + 1;
}

TEST(CooperativeThreadTest, ABodyMayUseMegabytesOfStack) {
    int result = -1;
    LambdaThread thread([&] { result = Recurse(5000); });  // about 5 MB
    thread.Run();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !thread.Running(); }, 5000));
    EXPECT_EQ(result, 5000);
}

TEST(CooperativeThreadTest, AnExceptionThatEscapesABodyIsReported) {
    struct Case {
        std::function<void()> body;
        std::string reported;
    };
    const Case cases[] = {
        {[] { throw std::runtime_error("upload broke"); }, "upload broke"},
        {[] {
             fw::GiveWay();
             throw 7;
         },
         "unknown exception"},
        {[] { throw std::runtime_error(""); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reported);
        CapturedExceptions caught;
        LambdaThread thread(c.body);
        thread.Run();
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !thread.Running(); }, 5000));
        EXPECT_EQ(caught.What(), std::vector<std::string>{c.reported});
    }
}

// A thread that gives way inside a catch block, while the main thread handles an exception of its
// own and lets the thread finish its catch block, as a message box about an error would: each
// must keep its own exception.
TEST(CooperativeThreadTest, ExceptionsBeingHandledStayWithTheirThread) {
    std::string rethrownOnThread;
    LambdaThread thread([&] {
        try {
            try {
                throw std::runtime_error("thread's");
            } catch (const std::exception&) {
                fw::GiveWay();
                fw::GiveWay();
                throw;
            }
        } catch (const std::exception& e) {
            rethrownOnThread = e.what();
        }
    });
    thread.Run();
    fw::GiveWay();  // the thread is inside its catch block now
    std::string rethrownOnMain;
    try {
        try {
            throw std::logic_error("main's");
        } catch (const std::exception&) {
            ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !thread.Running(); }, 5000));
            throw;
        }
    } catch (const std::exception& e) {
        rethrownOnMain = e.what();
    }
    EXPECT_EQ(rethrownOnThread, "thread's");
    EXPECT_EQ(rethrownOnMain, "main's");
}

}  // namespace
