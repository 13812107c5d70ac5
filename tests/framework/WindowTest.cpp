#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/Label.h"
#include "framework/MenuBar.h"
#include "framework/Window.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace {

using Log = std::vector<std::string>;

class RecordingWindow : public fw::Window {
public:
    explicit RecordingWindow(Log* log, Kind kind = Kind::Document) : Window(kind), log_(log) {}
    ~RecordingWindow() override {
        if (deleted) *deleted = true;
    }

    bool* deleted = nullptr;
    bool keepOpen = false;
    std::function<void(RecordingWindow&)> onLayout, onCreateControls;
    struct Click {
        int x, y;
    };
    std::vector<Click> clicks;

    void Layout() override {
        Record("Layout");
        if (onLayout) onLayout(*this);
    }
    void CreateControls() override {
        Record("CreateControls");
        if (onCreateControls) onCreateControls(*this);
    }
    void AddMenuHandlers() override { Record("AddMenuHandlers"); }
    void Event_Open() override { Record("Open"); }
    void Event_Close() override { Record("Close"); }
    bool Event_CancelClose(bool) override {
        Record("CancelClose");
        return keepOpen;
    }
    void Event_Moved() override { Record("Moved"); }
    void Event_Resized() override { Record("Resized"); }
    bool Event_MouseDown(int32_t x, int32_t y) override {
        clicks.push_back({x, y});
        return false;
    }

private:
    void Record(const std::string& what) { log_->push_back(what); }
    Log* log_;
};

class WindowTest : public testing::Test {
protected:
    ~WindowTest() override { CloseWindowsLeftOpen(); }  // they write to the log

    // A closed window deletes itself, so windows live on the heap.
    RecordingWindow* Make(fw::Window::Kind kind = fw::Window::Kind::Document) {
        return new RecordingWindow(&log, kind);
    }
    static bool Exposed(fw::Window* w) {
        QWindow* handle = w->Widget()->window()->windowHandle();
        return handle && handle->isExposed();
    }
    static bool Active(fw::Window* w) { return w->Widget()->window()->isActiveWindow(); }
    static bool Contains(const Log& log, const std::string& what) {
        return std::find(log.begin(), log.end(), what) != log.end();
    }

    Log log;
};

TEST_F(WindowTest, BuildRunsInItsOrderAndTheWindowCountsAsOpenWhileBuilding) {
    RecordingWindow* w = Make();
    RecordingWindow* foundWhileBuilding = nullptr;
    w->onCreateControls = [&](RecordingWindow&) {
        foundWhileBuilding = fw::Window::FindOpen<RecordingWindow>();
    };
    EXPECT_EQ(fw::Window::FindOpen<RecordingWindow>(), nullptr);
    w->Build();
    EXPECT_EQ(foundWhileBuilding, w);
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(Log(log.begin(), log.begin() + 4),
              (Log{"Layout", "CreateControls", "AddMenuHandlers", "Open"}));
    EXPECT_TRUE(w->IsOpen());
    EXPECT_TRUE(w->Visible());
    EXPECT_EQ(fw::Window::FindOpen<RecordingWindow>(), w);
}

TEST_F(WindowTest, AWindowHiddenOnOpenIsStillFound) {
    RecordingWindow* w = Make();
    w->SetVisibleOnOpen(false);
    w->Build();
    EXPECT_FALSE(w->Visible());
    EXPECT_EQ(fw::Window::FindOpen<RecordingWindow>(), w);
    EXPECT_EQ(fw::Window::OpenWindows(), std::vector<fw::Window*>{w});
}

TEST_F(WindowTest, CloseRaisesCloseUnregistersAndDeletesLater) {
    RecordingWindow* w = Make();
    bool deleted = false;
    w->deleted = &deleted;
    w->Build();
    log.clear();
    w->Close();
    EXPECT_EQ(log, Log{"Close"});
    EXPECT_TRUE(w->IsClosed());
    EXPECT_FALSE(w->IsOpen());
    EXPECT_FALSE(w->Visible());
    EXPECT_EQ(fw::Window::FindOpen<RecordingWindow>(), nullptr);
    EXPECT_FALSE(deleted) << "its own handlers may still be running";
    w->Close();  // a second Close does nothing
    EXPECT_EQ(log, Log{"Close"});
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return deleted; }, 5000));
}

TEST_F(WindowTest, TheCloseBoxAsksCancelClose) {
    for (bool keepOpen : {true, false}) {
        SCOPED_TRACE(keepOpen ? "kept open" : "closed");
        RecordingWindow* w = Make();
        bool deleted = false;
        w->deleted = &deleted;
        w->Build();
        w->keepOpen = keepOpen;
        log.clear();
        w->Widget()->window()->close();  // what the window manager's close box does
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return Contains(log, "CancelClose"); }, 5000));
        EXPECT_EQ(Contains(log, "Close"), !keepOpen);
        if (keepOpen) {
            fw::ProcessPendingEvents();
            EXPECT_TRUE(w->IsOpen());
            EXPECT_TRUE(w->Visible());
            w->Close();
        }
        EXPECT_TRUE(fw::RunEventLoopUntil([&] { return deleted; }, 5000));
    }
}

TEST_F(WindowTest, GeometryIsTheContentBelowTheMenuBar) {
    fw::MenuBar bar;
    auto menu = std::make_unique<fw::MenuItem>();
    menu->Name = "FileMenu";
    menu->Text = "File";
    auto item = std::make_unique<fw::MenuItem>();
    item->Name = "FileSaveLog";
    item->Text = "Save Log";
    menu->Append(std::move(item));
    bar.Append(std::move(menu));

    RecordingWindow* w = Make();
    w->onLayout = [&](RecordingWindow& self) {
        self.SetMenuBar(&bar);
        // Set while hidden, more than once, as a window's Layout does.
        self.SetWidth(300);
        self.SetHeight(200);
        self.SetWidth(420);
        self.SetHeight(260);
        self.SetLeft(40);
        self.SetTop(50);
        EXPECT_EQ(self.Width(), 420);
        EXPECT_EQ(self.Height(), 260);
    };
    w->Build();
    auto* top = static_cast<QMainWindow*>(w->Widget()->window());
    ASSERT_NE(top->menuBar(), nullptr);
    EXPECT_GT(top->menuBar()->height(), 0);
    EXPECT_EQ(w->Width(), 420);
    EXPECT_EQ(w->Height(), 260);
    EXPECT_EQ(w->Widget()->height(), 260);
    EXPECT_EQ(w->Widget()->width(), 420);
    EXPECT_EQ(w->Left(), 40);
    EXPECT_EQ(w->Top(), 50);

    w->SetHeight(300);  // and once shown
    w->SetWidth(500);
    EXPECT_EQ(w->Height(), 300);
    EXPECT_EQ(w->Widget()->height(), 300);
    EXPECT_EQ(w->Width(), 500);
}

TEST_F(WindowTest, WindowEventsReachTheProgramOnlyOnceOpen) {
    RecordingWindow* w = Make();
    w->onLayout = [](RecordingWindow& self) {
        self.SetWidth(300);
        self.SetHeight(200);
    };
    w->SetVisibleOnOpen(false);
    w->Build();
    fw::ProcessPendingEvents();
    EXPECT_FALSE(Contains(log, "Resized"));
    EXPECT_FALSE(Contains(log, "Moved"));

    w->Show();
    log.clear();
    w->SetWidth(350);
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return Contains(log, "Resized"); }, 5000));
    w->SetLeft(w->Left() + 30);
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return Contains(log, "Moved"); }, 5000));

    w->Close();
    log.clear();
    w->SetWidth(200);  // closed: nothing more reaches the program
    fw::ProcessPendingEvents();
    EXPECT_TRUE(log.empty());
}

// The program's click coordinates are the content's, below the menu bar; a label lets the click
// through to the window, with a help tag too.
TEST_F(WindowTest, AMouseDownReportsContentCoordinatesAndPassesThroughLabels) {
    fw::MenuBar bar;
    auto menu = std::make_unique<fw::MenuItem>();
    menu->Name = "FileMenu";
    menu->Text = "File";
    bar.Append(std::move(menu));
    RecordingWindow* w = Make();
    w->onLayout = [&](RecordingWindow& self) {
        self.SetMenuBar(&bar);
        self.SetWidth(300);
        self.SetHeight(200);
    };
    w->onCreateControls = [&](RecordingWindow& self) {
        fw::Label* label = self.AddControl<fw::Label>("status");
        label->Place({.left = 100, .top = 100, .width = 80, .height = 20});
        label->SetText("status");
        fw::Label* tagged = self.AddControl<fw::Label>("address");
        tagged->Place({.left = 200, .top = 100, .width = 80, .height = 20});
        tagged->SetText("ftp.example.com");
        tagged->SetHelpTag("ftp.example.com");
    };
    w->Build();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return Exposed(w); }, 5000));

    QTest::mouseClick(w->Widget(), Qt::LeftButton, {}, QPoint(10, 20));
    QTest::mouseClick(w->Widget(), Qt::LeftButton, {}, QPoint(110, 105));  // on the label
    QTest::mouseClick(w->Widget(), Qt::LeftButton, {}, QPoint(210, 105));  // on the tagged one
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return w->clicks.size() == 3; }, 5000));
    EXPECT_EQ(w->clicks[0].x, 10);
    EXPECT_EQ(w->clicks[0].y, 20);
    EXPECT_EQ(w->clicks[1].x, 110);
    EXPECT_EQ(w->clicks[1].y, 105);
    EXPECT_EQ(w->clicks[2].x, 210);
    EXPECT_EQ(w->clicks[2].y, 105);
}

TEST_F(WindowTest, ALabelShowsLineBreaksButKeepsItsText) {
    RecordingWindow* w = Make();
    w->Build();
    fw::Label& label = *w->AddControl<fw::Label>("label");
    label.Place({.left = 10, .top = 10, .width = 200, .height = 60});
    label.SetText("one\rtwo\r\nthree");
    EXPECT_EQ(label.Text(), "one\rtwo\r\nthree");
    auto* shown = w->Widget()->findChild<QLabel*>();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(), QStringLiteral("one\ntwo\nthree"));
    label.SetLeft(40);
    EXPECT_EQ(label.Left(), 40);
    EXPECT_EQ(label.Width(), 200);
}

TEST_F(WindowTest, TheFrontmostWindowIsTheActiveOne) {
    RecordingWindow* first = Make();
    first->Build();
    RecordingWindow* second = Make();
    second->Build();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return Active(second); }, 5000));
    EXPECT_EQ(fw::Window::Frontmost(), second);
    first->Show();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return Active(first); }, 5000));
    EXPECT_EQ(fw::Window::Frontmost(), first);
    EXPECT_EQ(fw::Window::OpenWindows(), (std::vector<fw::Window*>{first, second}));
}

}  // namespace
