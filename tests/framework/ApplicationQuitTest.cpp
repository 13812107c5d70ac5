#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/EventLoop.h"
#include "framework/MenuBar.h"
#include "framework/Window.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace {

using Log = std::vector<std::string>;

class RecordingApp : public fw::Application {
public:
    Log* log = nullptr;
    bool cancelQuit = false;

protected:
    void Event_Open() override { log->push_back("app open"); }
    bool Event_CancelClose() override {
        log->push_back("app cancel?");
        return cancelQuit;
    }
};

class RecordingWindow : public fw::Window {
public:
    RecordingWindow(std::string name, Log* log) : name_(std::move(name)), log_(log) {}
    std::function<bool(bool appQuitting)> cancelClose;
    std::function<void()> onClose;

    bool Event_CancelClose(bool appQuitting) override {
        log_->push_back(name_ + (appQuitting ? " cancel? (quitting)" : " cancel?"));
        return cancelClose && cancelClose(appQuitting);
    }
    void Event_Close() override {
        log_->push_back(name_ + " close");
        if (onClose) onClose();
    }

private:
    std::string name_;
    Log* log_;
};

class ApplicationQuitTest : public testing::Test {
protected:
    ApplicationQuitTest() { app.log = &log; }

    RecordingWindow* Open(const std::string& name) {
        auto* w = new RecordingWindow(name, &log);  // a closed window deletes itself
        w->Build();
        return w;
    }

    Log log;
    RecordingApp app;
};

TEST_F(ApplicationQuitTest, EveryWindowThenTheApplicationMayCancelThenAllClose) {
    Open("w1");
    Open("w2");
    app.Quit();
    EXPECT_EQ(log, (Log{"w1 cancel? (quitting)", "w2 cancel? (quitting)", "app cancel?", "w1 close",
                        "w2 close"}));
    EXPECT_TRUE(app.HasQuit());
    EXPECT_FALSE(app.Quitting());
    EXPECT_TRUE(fw::Window::OpenWindows().empty());
}

TEST_F(ApplicationQuitTest, ACancelledQuitClosesNothingAndCanBeTriedAgain) {
    struct Case {
        const char* canceller;
        Log asked;
    };
    const Case cases[] = {
        {"w1", {"w1 cancel? (quitting)"}},
        {"w2", {"w1 cancel? (quitting)", "w2 cancel? (quitting)"}},
        {"app", {"w1 cancel? (quitting)", "w2 cancel? (quitting)", "app cancel?"}},
    };
    RecordingWindow* w1 = Open("w1");
    RecordingWindow* w2 = Open("w2");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.canceller);
        std::string who = c.canceller;
        w1->cancelClose = [who](bool) { return who == "w1"; };
        w2->cancelClose = [who](bool) { return who == "w2"; };
        app.cancelQuit = who == "app";
        log.clear();
        app.Quit();
        EXPECT_EQ(log, c.asked);
        EXPECT_FALSE(app.HasQuit());
        EXPECT_FALSE(app.Quitting());
        EXPECT_EQ(fw::Window::OpenWindows().size(), 2u);
    }
    w1->cancelClose = w2->cancelClose = nullptr;
    app.cancelQuit = false;
    app.Quit();
    EXPECT_TRUE(app.HasQuit());
}

TEST_F(ApplicationQuitTest, AQuitRequestedDuringTheQuitIsIgnored) {
    RecordingWindow* w = Open("w");
    int nestedQuitsSeen = 0;
    w->cancelClose = [&](bool) {
        EXPECT_TRUE(app.Quitting());
        app.Quit();  // e.g. Ctrl+Q pressed while the window asks whether to save
        ++nestedQuitsSeen;
        return false;
    };
    app.Quit();
    EXPECT_EQ(nestedQuitsSeen, 1);
    EXPECT_EQ(log, (Log{"w cancel? (quitting)", "app cancel?", "w close"}));
    EXPECT_TRUE(app.HasQuit());
}

// A window that fails while asked must not leave the application unable ever to quit.
TEST_F(ApplicationQuitTest, AFailingCancelCloseDoesNotBlockTheNextQuit) {
    CapturedExceptions caught;
    RecordingWindow* w = Open("w");
    w->cancelClose = [](bool) -> bool { throw std::runtime_error("settings unreadable"); };
    fw::RunGuarded([&] { app.Quit(); });  // the quit command arrives as an event
    EXPECT_EQ(caught.What(), Log{"settings unreadable"});
    EXPECT_FALSE(app.Quitting());
    EXPECT_FALSE(app.HasQuit());

    w->cancelClose = nullptr;
    app.Quit();
    EXPECT_TRUE(app.HasQuit());
}

// While the quit asks one window, another closes and is deleted (a nested event loop ran); and a
// window's Close closes another. The quit must not touch either again.
TEST_F(ApplicationQuitTest, WindowsThatCloseDuringTheQuitAreNotVisitedAgain) {
    RecordingWindow* w1 = Open("w1");
    RecordingWindow* w2 = Open("w2");
    RecordingWindow* w3 = Open("w3");
    RecordingWindow* w4 = Open("w4");
    w1->cancelClose = [&](bool) {
        w2->Close();
        fw::ProcessPendingEvents();  // w2 is deleted here
        return false;
    };
    w3->onClose = [&] {
        w4->Close();
        fw::ProcessPendingEvents();
    };
    app.Quit();
    EXPECT_EQ(log,
              (Log{"w1 cancel? (quitting)", "w2 close", "w3 cancel? (quitting)",
                   "w4 cancel? (quitting)", "app cancel?", "w1 close", "w3 close", "w4 close"}));
    EXPECT_TRUE(app.HasQuit());
}

TEST_F(ApplicationQuitTest, TheQuitMenuItemAndTheMainWindowsCloseBoxTakeTheQuitPath) {
    fw::MenuBar bar;
    auto file = std::make_unique<fw::MenuItem>();
    file->Name = "FileMenu";
    auto quit = std::make_unique<fw::QuitMenuItem>();
    quit->Name = "FileQuit";
    file->Append(std::move(quit));
    bar.Append(std::move(file));
    app.SetMenuBar(&bar);

    RecordingWindow* main = Open("main");
    main->SetClosingQuitsApp(true);
    main->cancelClose = [](bool appQuitting) { return appQuitting; };  // keeps the quit from ending
    fw::ChooseMenuItem("FileQuit");
    main->Widget()->window()->close();  // the close box
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return log.size() == 2; }, 5000));
    EXPECT_EQ(log, (Log{"main cancel? (quitting)", "main cancel? (quitting)"}));
    EXPECT_TRUE(main->IsOpen());

    main->cancelClose = nullptr;
    main->Widget()->window()->close();
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return app.HasQuit(); }, 5000));
}

TEST_F(ApplicationQuitTest, StartRaisesOpenThenTheCallback) {
    app.Start([&] { log.push_back("init"); });
    EXPECT_EQ(log, (Log{"app open", "init"}));
}

TEST_F(ApplicationQuitTest, RunReturnsOnceTheApplicationHasQuit) {
    struct Case {
        const char* name;
        bool quitInCallback;
    };
    for (const Case& c : {Case{"quit from the loop", false}, Case{"quit in the callback", true}}) {
        SCOPED_TRACE(c.name);
        RecordingApp runApp;
        runApp.log = &log;
        bool quitFromLoop = !c.quitInCallback;
        int status = runApp.Run([&] {
            Open("main");
            if (quitFromLoop)
                QTimer::singleShot(0, [&] { runApp.Quit(); });
            else
                runApp.Quit();
        });
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(runApp.HasQuit());
        EXPECT_TRUE(fw::Window::OpenWindows().empty());
    }
}

}  // namespace
