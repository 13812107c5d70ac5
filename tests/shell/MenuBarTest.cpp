// The program's one menu bar: its model, the platform menu bar built from it in the main window,
// and which handler each command reaches.
#include <gtest/gtest.h>

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <string>
#include <vector>

#include "framework/MenuBar.h"
#include "profiles/AboutPanel.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

using namespace shelltest;
using Role = fw::MenuItem::Role;

struct Row {
    std::string name, text, shortcut;
    Role role;
};

const Row kFileMenu[] = {
    {"FileSaveLog", "ログを保存…", "Cmd+S", Role::Normal},
    {"FileSaveSyncList", "同期リストを保存…", "Cmd+Shift+S", Role::Normal},
    {"FileQuit", "終了", "Cmd+Q", Role::Quit},
};

const Row kEditMenu[] = {
    {"EditUndo", "取り消す", "Cmd+Z", Role::Normal},
    {"EditRedo", "やり直す", "Cmd+Shift+Z", Role::Normal},
    {"UntitledMenu1", "-", "", Role::Normal},
    {"EditCut", "カット", "Cmd+X", Role::Normal},
    {"EditCopy", "コピー", "Cmd+C", Role::Normal},
    {"EditPaste", "貼り付け", "Cmd+V", Role::Normal},
    {"EditClear", "削除", "", Role::Normal},
    {"UntitledMenu0", "-", "", Role::Normal},
    {"EditSelectAll", "すべてを選択", "Cmd+A", Role::Normal},
    {"UntitledSeparator", "-", "", Role::Normal},
    {"EditPreferences", "環境設定...", "", Role::Preferences},
    {"AppleAbout", "Quillomarについて", "", Role::About},
};

void ExpectMenu(const fw::MenuItem* menu, const std::string& name, const std::string& text,
                const Row* rows, size_t count) {
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->Name, name);
    EXPECT_EQ(menu->Text, text);
    EXPECT_EQ(menu->KeyboardShortcut, "");
    ASSERT_EQ(menu->Count(), static_cast<int>(count)) << name;
    for (size_t i = 0; i < count; ++i) {
        const fw::MenuItem* item = menu->Item(static_cast<int>(i));
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(item->Name, rows[i].name);
        EXPECT_EQ(item->Text, rows[i].text);
        EXPECT_EQ(item->KeyboardShortcut, rows[i].shortcut);
        EXPECT_EQ(item->GetRole(), rows[i].role);
        EXPECT_TRUE(item->AutoEnable);
        EXPECT_TRUE(item->Visible);
        EXPECT_EQ(item->Count(), 0);
    }
}

TEST(MenuBarModelTest, FileMenuThenEditMenuWithTheirItemsInOrder) {
    MenuBar1* bar = MenuBar1::Instance();
    EXPECT_EQ(MenuBar1::Instance(), bar);  // built once
    ASSERT_EQ(bar->Count(), 2);
    ExpectMenu(bar->Item(0), "FileMenu", "ファイル", kFileMenu, std::size(kFileMenu));
    ExpectMenu(bar->Item(1), "EditMenu", "編集", kEditMenu, std::size(kEditMenu));
    EXPECT_EQ(bar->Child("FileMenu"), bar->Item(0));
    EXPECT_EQ(bar->Child("EditMenu"), bar->Item(1));
}

class MenuBarTest : public ShellTest {};

TEST_F(MenuBarTest, MainWindowShowsTheSameMenuBar) {
    StartApp();
    EXPECT_EQ(app().GetMenuBar(), MenuBar1::Instance());
    EXPECT_EQ(MainWindow()->GetMenuBar(), MenuBar1::Instance());

    auto* bar = MainWindow()->Widget()->window()->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    const QList<QAction*> menus = bar->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("ファイル"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("編集"));

    auto expectActions = [](QMenu* menu, const Row* rows, size_t count) {
        ASSERT_NE(menu, nullptr);
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(static_cast<size_t>(actions.size()), count);
        for (size_t i = 0; i < count; ++i) {
            SCOPED_TRACE(rows[i].name);
            QAction* a = actions[static_cast<qsizetype>(i)];
            if (rows[i].text == "-") {
                EXPECT_TRUE(a->isSeparator());
                continue;
            }
            EXPECT_EQ(a->objectName().toStdString(), rows[i].name);
            EXPECT_EQ(a->text().toStdString(), rows[i].text);
            std::string shortcut = rows[i].shortcut;
            if (shortcut.rfind("Cmd", 0) == 0) shortcut.replace(0, 3, "Ctrl");
            EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromStdString(shortcut)));
        }
    };
    expectActions(menus[0]->menu(), kFileMenu, std::size(kFileMenu));
    expectActions(menus[1]->menu(), kEditMenu, std::size(kEditMenu));
}

// Without the main window, its items reach no handler; the About item is the application's.
TEST_F(MenuBarTest, WithoutTheMainWindowOnlyTheApplicationsItemsAct) {
    NewApp();
    for (const char* name : {"FileSaveLog", "FileSaveSyncList", "EditPreferences"}) {
        EXPECT_FALSE(app().HandleMenu(name)) << name;
        fw::ChooseMenuItem(name);
    }
    fw::ProcessPendingEvents();
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
    EXPECT_TRUE(fw::Window::OpenWindows().empty());

    fw::ChooseMenuItem("AppleAbout");
    fw::ProcessPendingEvents();
    ASSERT_NE(fw::Window::FindOpen<AboutPanel>(), nullptr);
    EXPECT_TRUE(fw::Window::FindOpen<AboutPanel>()->Visible());
    EXPECT_FALSE(app().HasQuit());
}

}  // namespace
