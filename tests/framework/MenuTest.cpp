#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextEdit>
#include <memory>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/EventLoop.h"
#include "framework/MenuBar.h"
#include "framework/Window.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace {

using Log = std::vector<std::string>;

class MenuTestWindow : public fw::Window {
public:
    int enableMenuItemsCalls = 0;
    void Event_EnableMenuItems() override { ++enableMenuItemsCalls; }
};

std::unique_ptr<fw::MenuItem> Item(const std::string& name, const std::string& text,
                                   const std::string& shortcut = "") {
    auto item = std::make_unique<fw::MenuItem>();
    item->Name = name;
    item->Text = text;
    item->KeyboardShortcut = shortcut;
    return item;
}

// The program's bar in small: a File menu with the quit item and an Edit menu.
class MenuTest : public testing::Test {
protected:
    MenuTest() {
        auto file = Item("FileMenu", "File");
        file->Append(Item("FileSaveLog", "Save Log", "Cmd+S"));
        file->Append(Item("FileSaveSyncList", "Save Sync List", "Cmd+Shift+S"));
        file->Append(Item("Separator1", "-"));
        auto hidden = Item("FileHidden", "Hidden");
        hidden->Visible = false;
        file->Append(std::move(hidden));
        auto quit = std::make_unique<fw::QuitMenuItem>();
        quit->Name = "FileQuit";
        quit->Text = "Quit";
        quit->KeyboardShortcut = "Cmd+Q";
        file->Append(std::move(quit));
        bar.Append(std::move(file));
        auto edit = Item("EditMenu", "Edit");
        for (const char* name : {"EditUndo", "EditRedo", "EditCut", "EditCopy", "EditPaste",
                                 "EditClear", "EditSelectAll"})
            edit->Append(Item(name, name));
        bar.Append(std::move(edit));
        app.SetMenuBar(&bar);
    }
    ~MenuTest() override { CloseWindowsLeftOpen(); }  // they use the bar

    MenuTestWindow* OpenWindow(bool withMenuBar) {
        auto* w = new MenuTestWindow;  // a closed window deletes itself
        if (withMenuBar) w->SetMenuBar(&bar);
        w->Build();
        EXPECT_TRUE(fw::RunEventLoopUntil([w] { return w->Widget()->isActiveWindow(); }, 5000));
        return w;
    }
    static QMenu* Menu(fw::Window* w, const char* name) {
        auto* top = static_cast<QMainWindow*>(w->Widget()->window());
        return top->menuBar()->findChild<QMenu*>(name);
    }

    fw::MenuBar bar;
    fw::Application app;
    Log log;
};

TEST_F(MenuTest, TheFrontWindowsHandlerComesBeforeTheApplications) {
    MenuTestWindow* back = OpenWindow(false);
    MenuTestWindow* front = OpenWindow(false);
    back->AddMenuHandler("FileSaveLog", [&] {
        log.push_back("back window");
        return true;
    });
    bool frontHandles = true;
    front->AddMenuHandler("FileSaveLog", [&] {
        log.push_back("front window");
        return frontHandles;
    });
    app.AddMenuHandler("FileSaveLog", [&] {
        log.push_back("application");
        return true;
    });
    fw::ChooseMenuItem("FileSaveLog");
    EXPECT_EQ(log, Log{"front window"});

    log.clear();
    frontHandles = false;  // a handler that answers false lets the application have the item
    fw::ChooseMenuItem("FileSaveLog");
    EXPECT_EQ(log, (Log{"front window", "application"}));
    EXPECT_FALSE(app.HasQuit());
}

TEST_F(MenuTest, TheQuitItemQuitsUnlessSomeoneHandlesIt) {
    OpenWindow(true);
    app.AddMenuHandler("FileQuit", [&] {
        log.push_back("handled");
        return true;
    });
    fw::ChooseMenuItem("FileQuit");
    EXPECT_EQ(log, Log{"handled"});
    EXPECT_FALSE(app.HasQuit());

    app.AddMenuHandler("FileQuit", nullptr);
    fw::ChooseMenuItem("FileQuit");
    EXPECT_TRUE(app.HasQuit());
}

TEST_F(MenuTest, ThePlatformBarFollowsTheModelAndItsShortcutsUseCtrl) {
    MenuTestWindow* w = OpenWindow(true);
    QMenu* file = Menu(w, "FileMenu");
    ASSERT_NE(file, nullptr);
    QStringList shown;
    for (QAction* a : file->actions()) shown << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(shown, (QStringList{"Save Log", "Save Sync List", "-", "Quit"}));
    auto* saveList = file->findChild<QAction*>("FileSaveSyncList");
    ASSERT_NE(saveList, nullptr);
    EXPECT_EQ(saveList->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

    w->AddMenuHandler("FileSaveSyncList", [&] {
        log.push_back("by key");
        return true;
    });
    w->AddMenuHandler("FileSaveLog", [&] {
        log.push_back("by menu");
        return true;
    });
    // The shortcut works from any widget of the application.
    auto* field = new QLineEdit(w->Widget());
    field->show();
    field->setFocus();
    QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    file->findChild<QAction*>("FileSaveLog")->trigger();
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return log.size() == 2; }, 5000));
    EXPECT_EQ(log, (Log{"by key", "by menu"}));
}

TEST_F(MenuTest, TheFrontWindowEnablesItemsBeforeAMenuOpens) {
    MenuTestWindow* w = OpenWindow(true);
    fw::MenuItem* saveLog = bar.Find("FileSaveLog");
    saveLog->AutoEnable = false;
    saveLog->Enabled = false;
    QMenu* file = Menu(w, "FileMenu");
    emit file->aboutToShow();
    EXPECT_EQ(w->enableMenuItemsCalls, 1);
    EXPECT_FALSE(file->findChild<QAction*>("FileSaveLog")->isEnabled());
    EXPECT_TRUE(file->findChild<QAction*>("FileSaveSyncList")->isEnabled());
}

// Without a handler, the Edit items act on the focused text field.
TEST_F(MenuTest, EditItemsActOnTheFocusedTextField) {
    struct Case {
        std::vector<const char*> items;
        const char* text;       // what the field holds afterwards
        const char* clipboard;  // what the clipboard holds afterwards
    };
    const Case cases[] = {
        {{"EditSelectAll", "EditCopy"}, "remote/path", "remote/path"},
        {{"EditSelectAll", "EditCut"}, "", "remote/path"},
        {{"EditSelectAll", "EditCut", "EditUndo"}, "remote/path", "remote/path"},
        {{"EditSelectAll", "EditCut", "EditUndo", "EditRedo"}, "", "remote/path"},
        {{"EditSelectAll", "EditClear"}, "", "before"},
        {{"EditPaste"}, "remote/pathbefore", "before"},
    };
    MenuTestWindow* w = OpenWindow(true);
    auto* field = new QLineEdit(w->Widget());
    field->show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items.back());
        field->setText("remote/path");
        field->setFocus();
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return field->hasFocus(); }, 5000));
        QApplication::clipboard()->setText("before");
        for (const char* item : c.items) fw::ChooseMenuItem(item);
        EXPECT_EQ(field->text().toStdString(), c.text);
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), c.clipboard);
    }

    auto* area = new QTextEdit(w->Widget());
    area->show();
    area->setPlainText("log line");
    area->setFocus();
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return area->hasFocus(); }, 5000));
    fw::ChooseMenuItem("EditSelectAll");
    fw::ChooseMenuItem("EditClear");
    EXPECT_EQ(area->toPlainText(), QString());
}

}  // namespace
