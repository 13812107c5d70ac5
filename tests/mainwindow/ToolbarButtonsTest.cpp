#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/ModalHost.h"
#include "framework/Toolbar.h"
#include "framework/ToolbarControl.h"
#include "framework/ToolbarItem.h"
#include "framework/ToolbarSegmentedControl.h"
#include "framework/Window.h"
#include "mainwindow/NSToolbar.h"
#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"
#include "tests/framework/ToolbarDriver.h"
#include "tests/support/ModalScript.h"
#include "tests/support/ToolbarButtons.h"

namespace {

using toolbartest::ButtonOf;
using toolbartest::CustomizationDialog;
using toolbartest::Customize;
using toolbartest::Identifiers;
using toolbartest::Texts;

const std::string kSpace = "NSToolbarSpaceItem";
const std::string kFlexible = "NSToolbarFlexibleSpaceItem";

struct Expected {
    std::string identifier;
    std::string label;  // empty for the spaces
    std::string toolTip;
    int32_t tag;
    bool enabledAtStart;
};

// The main window's bar as it opens, from the left.
const std::vector<Expected> kDefaultBar = {
    {"My Connect Toolbar Item", "接続", "サーバーに接続します", 101, false},
    {"My Sync Toolbar Item", "同期", "リモートとローカルを同期します", 111, false},
    {"My Discon Toolbar Item", "切断", "サーバーから切断します", 121, false},
    {"My Clear Toolbar Item", "クリア", "接続情報を全てクリアしてリセットします", 131, false},
    {kSpace, "", "", 0, true},
    {"My Log ToolbarItem", "ログを保存", "ログをテキストファイルに書き出します", 401, false},
    {"My SyncList Toolbar Item", "同期リストを保存", "同期リストをテキストファイルに書き出します",
     411, false},
    {kSpace, "", "", 0, true},
    {"My List Toolbar Item", "タイプリスト", "タイプリストを編集します", 201, true},
    {kFlexible, "", "", 0, true},
    {"My Pref Toolbar Item", "環境設定", "環境設定ダイアログを表示します", 301, true},
};

const std::vector<int32_t> kTags = {101, 111, 121, 131, 201, 301, 401, 411};

class ToolbarButtonsTest : public testing::Test {
protected:
    void SetUp() override {
        ResetModuleState();
        testsupport::BeginModalScript();
        OpenMainWindow();
    }
    void TearDown() override {
        for (fw::Window* open : fw::Window::OpenWindows()) open->Close();
        fw::ProcessPendingEvents();
        NSToolbar::ActionHandler = {};
        testsupport::EndModalScript();
        ResetModuleState();
    }

    // The main window as the program opens it; what reaches the window's click handler is
    // recorded on the way.
    void OpenMainWindow() {
        w = Window1::Instance();
        bar = fw::Toolbar::Of(*w);
        ASSERT_NE(bar, nullptr);
        NSToolbar::ActionDelegate toWindow = NSToolbar::ActionHandler;
        ASSERT_TRUE(toWindow);
        NSToolbar::ActionHandler = [this, toWindow](fw::ToolbarControl* sender) {
            const int32_t segment = sender->SelectedSegment();
            arrivals.push_back({sender, segment, sender->TagForSegment(segment)});
            toWindow(sender);
        };
    }

    fw::ToolbarItem* Button(int32_t tag) const { return testsupport::ToolbarButton(*w, tag); }
    static int32_t Tag(fw::ToolbarItem* item) { return testsupport::ToolbarTag(item); }
    QToolButton* Widget(int32_t tag) const { return ButtonOf(*bar, Button(tag)); }
    // Enabled state of every button on the bar, by its place.
    std::vector<bool> States() const {
        std::vector<bool> states;
        for (fw::ToolbarItem* item : bar->VisibleItems()) states.push_back(item->Enabled());
        return states;
    }
    std::vector<fw::ModalPrompt> Shown(const std::string& kind) const {
        std::vector<fw::ModalPrompt> shown;
        for (const fw::ModalPrompt& p : fw::ModalHost::Shown())
            if (p.kind == kind) shown.push_back(p);
        return shown;
    }

    struct Arrival {
        fw::ToolbarControl* sender;
        int32_t selectedSegment;
        int32_t tag;
    };
    Window1* w = nullptr;
    fw::Toolbar* bar = nullptr;
    std::vector<Arrival> arrivals;
};

TEST_F(ToolbarButtonsTest, TheWindowOpensWithTheDefaultBarAndTheStartingStates) {
    EXPECT_EQ(bar->Identifier(), "MySampleToolbar");
    EXPECT_TRUE(bar->AllowsUserCustomization());
    EXPECT_EQ(bar->GetDisplayMode(), fw::Toolbar::DisplayMode::IconAndLabel);
    std::vector<fw::ToolbarItem*> items = bar->VisibleItems();
    ASSERT_EQ(items.size(), kDefaultBar.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const Expected& e = kDefaultBar[i];
        fw::ToolbarItem* item = items[i];
        SCOPED_TRACE(e.identifier);
        EXPECT_EQ(item->Identifier(), e.identifier);
        if (e.tag == 0) {
            EXPECT_EQ(item->View(), nullptr);
            continue;
        }
        EXPECT_EQ(item->Label(), e.label);
        EXPECT_EQ(item->PaletteLabel(), e.label);
        EXPECT_EQ(item->ToolTip(), e.toolTip);
        EXPECT_EQ(Tag(item), e.tag);
        EXPECT_EQ(item->Enabled(), e.enabledAtStart);
        EXPECT_EQ(item->View()->SelectedSegment(), -1);
        QToolButton* button = ButtonOf(*bar, item);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text().toStdString(), e.label);
        EXPECT_EQ(button->toolTip().toStdString(), e.toolTip);
        EXPECT_EQ(button->isEnabled(), e.enabledAtStart);
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    }
}

TEST_F(ToolbarButtonsTest, TheContentAreaStays800By600BelowTheMenuBarAndTheBar) {
    EXPECT_EQ(w->Width(), 800);
    EXPECT_EQ(w->Height(), 600);
    EXPECT_EQ(w->Widget()->size(), QSize(800, 600));
    auto* top = static_cast<QMainWindow*>(w->Widget()->window());
    ASSERT_NE(top->menuBar(), nullptr);
    EXPECT_LE(top->menuBar()->geometry().bottom(), bar->Widget()->geometry().top());
    EXPECT_LE(bar->Widget()->geometry().bottom(), w->Widget()->geometry().top());
    EXPECT_EQ(top->height(), top->menuBar()->height() + bar->Widget()->height() + 600);
}

TEST_F(ToolbarButtonsTest, ThePaletteOffersTheEightButtonsThenTheSpaces) {
    ASSERT_TRUE(Customize(*bar, [](const CustomizationDialog& d) {
        EXPECT_EQ(Texts(d.Palette()),
                  (std::vector<std::string>{"接続", "同期", "切断", "クリア", "ログを保存",
                                            "同期リストを保存", "タイプリスト", "環境設定",
                                            "スペース", "フレキシブルスペース"}));
    }));
    EXPECT_EQ(Identifiers(*bar).size(), kDefaultBar.size()) << "looking changes nothing";

    // The Log button answers only to its own identifier, without the blank; every request
    // makes a new button.
    EXPECT_EQ(NSToolbar::toolbarItemForItemIdentifierWillBeInsertedIntoToolbar(
                  *bar, "My Log Toolbar Item", true),
              nullptr);
    auto first = NSToolbar::toolbarItemForItemIdentifierWillBeInsertedIntoToolbar(
        *bar, "My Log ToolbarItem", false);
    auto second = NSToolbar::toolbarItemForItemIdentifierWillBeInsertedIntoToolbar(
        *bar, "My Log ToolbarItem", true);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first->View(), second->View());
    EXPECT_EQ(Tag(first.get()), 401);
    EXPECT_TRUE(NSToolbar::toolbarSelectableItemIdentifiers(*bar).empty());
}

TEST_F(ToolbarButtonsTest, AButtonIsSwitchedByItsTagAndNoOtherChanges) {
    for (int32_t tag : kTags) {
        SCOPED_TRACE(tag);
        for (bool enabled : {true, true, false, false, true}) {
            std::vector<bool> expected = States();
            std::vector<fw::ToolbarItem*> items = bar->VisibleItems();
            for (size_t i = 0; i < items.size(); ++i)
                if (Tag(items[i]) == tag) expected[i] = enabled;
            w->ToolbarItemStatus(tag, enabled);
            EXPECT_EQ(States(), expected);
            EXPECT_EQ(Widget(tag)->isEnabled(), enabled);
        }
    }
    const std::vector<bool> before = States();
    w->ToolbarItemStatus(999, false);
    w->ToolbarItemStatus(0, false);  // the spaces carry no tag
    EXPECT_EQ(States(), before);
    EXPECT_EQ(w->ToolbarItemGetButton(999), nullptr);
    EXPECT_EQ(w->ToolbarItemGetButton(0), nullptr);
}

TEST_F(ToolbarButtonsTest, OfTwoButtonsWithOneTagTheFirstIsSwitched) {
    fw::ToolbarItem* second = bar->InsertItemWithItemIdentifier(
        NSToolbar::ToolbarItemIdentifierConnect, static_cast<int>(bar->VisibleItems().size()));
    ASSERT_NE(second, nullptr);
    fw::ToolbarItem* first = bar->VisibleItems().front();
    EXPECT_EQ(w->ToolbarItemGetButton(101), first);
    w->ToolbarItemStatus(101, true);
    EXPECT_TRUE(first->Enabled());
    EXPECT_FALSE(second->Enabled());
}

TEST_F(ToolbarButtonsTest, WithoutABarTheStatesChangeNothing) {
    delete bar->Widget();
    ASSERT_EQ(fw::Toolbar::Of(*w), nullptr);
    for (int32_t tag : kTags) {
        EXPECT_EQ(w->ToolbarItemGetButton(tag), nullptr);
        w->ToolbarItemStatus(tag, true);
        w->ToolbarItemStatus(tag, false);
    }
}

TEST_F(ToolbarButtonsTest, AClickRunsItsButtonsCommandOnceAndClearsItsSelection) {
    for (int32_t tag : kTags) {
        SCOPED_TRACE(tag);
        w->ToolbarItemStatus(tag, true);
        arrivals.clear();
        // Whatever the command asks or says (no profile, nothing to save) is cancelled.
        fw::ModalHost::Expect(fw::ModalAnswer::Cancel());
        QToolButton* button = Widget(tag);
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(arrivals.size(), 1u);
        EXPECT_EQ(arrivals[0].sender, Button(tag)->View());
        EXPECT_EQ(arrivals[0].selectedSegment, 0);
        EXPECT_EQ(arrivals[0].tag, tag);
        EXPECT_EQ(Button(tag)->View()->SelectedSegment(), -1);
        EXPECT_FALSE(button->isChecked());
        // Clear switches itself off before its command, Disconnect as its command; the others
        // leave their own states alone.
        EXPECT_EQ(Button(tag)->Enabled(), tag != 131 && tag != 121);
    }
}

TEST_F(ToolbarButtonsTest, AClickWithoutASelectedSegmentOrAKnownTagDoesNothing) {
    w->ToolbarItemStatus(131, true);
    const std::vector<bool> before = States();

    // The Clear button's own control, its segment not selected.
    w->ToolbarItemClicked(Button(131)->View());
    EXPECT_EQ(States(), before);

    for (int32_t tag : {0, 999, 130}) {
        SCOPED_TRACE(tag);
        fw::ToolbarSegmentedControl control(38, 24);
        control.SetTag(tag, 0);
        control.SetSelected(true, 0);
        w->ToolbarItemClicked(&control);
        EXPECT_EQ(control.SelectedSegment(), 0) << "the selection stays";
        EXPECT_EQ(States(), before);
    }
    EXPECT_TRUE(fw::ModalHost::Shown().empty());
}

TEST_F(ToolbarButtonsTest, ASenderThatIsNoButtonIsNamedInAMessage) {
    fw::ToolbarControl plain;
    fw::ModalHost::Expect(fw::ModalAnswer::Press("OK"));
    fw::ModalHost::Expect(fw::ModalAnswer::Press("OK"));
    const std::vector<bool> before = States();
    w->ToolbarItemClicked(&plain);
    w->ToolbarItemClicked(nullptr);
    std::vector<fw::ModalPrompt> shown = Shown("msgbox");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].message, "No Define :" + plain.Description());
    EXPECT_NE(shown[0].message.find("ToolbarControl"), std::string::npos);
    EXPECT_EQ(shown[1].message, "No Define :");
    EXPECT_EQ(shown[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(States(), before);
}

TEST_F(ToolbarButtonsTest, AClickWhileAnEarlierOneIsHandledIsDropped) {
    w->ToolbarItemStatus(131, true);
    QToolButton* clear = Widget(131);
    bool clickedMeanwhile = false;
    fw::ModalHost::ExpectStep([&](const fw::ModalPrompt&) {
        return fw::ModalAnswer{fw::ModalAnswer::Action::Custom, {}, [&](QDialog* box) {
                                   clear->click();
                                   clickedMeanwhile = true;
                                   EXPECT_TRUE(Button(131)->Enabled());
                                   EXPECT_FALSE(clear->isChecked());
                                   for (QAbstractButton* b : box->findChildren<QAbstractButton*>())
                                       if (b->text() == "OK") b->click();
                               }};
    });
    fw::ToolbarControl plain;
    w->ToolbarItemClicked(&plain);  // its message is up while Clear is clicked
    EXPECT_TRUE(clickedMeanwhile);
    EXPECT_EQ(arrivals.size(), 1u) << "the click reached the window";
    EXPECT_TRUE(Button(131)->Enabled()) << "and was dropped";
    EXPECT_EQ(Button(131)->View()->SelectedSegment(), -1);

    fw::ModalHost::Expect(fw::ModalAnswer::Press("キャンセル"));  // Clear's question
    QTest::mouseClick(clear, Qt::LeftButton);  // once the handler has returned, clicks count
    EXPECT_FALSE(Button(131)->Enabled());
}

TEST_F(ToolbarButtonsTest, AButtonTheUserPutsBackAgreesWithTheStateLastAskedForIt) {
    // Connect is off at start and Sync is switched on while it is off the bar.
    ASSERT_TRUE(Customize(*bar, [](const CustomizationDialog& d) {
        d.Remove(0);  // 接続
        d.Remove(0);  // 同期
    }));
    EXPECT_EQ(w->ToolbarItemGetButton(101), nullptr);
    EXPECT_EQ(w->ToolbarItemGetButton(111), nullptr);
    w->ToolbarItemStatus(111, true);
    ASSERT_TRUE(Customize(*bar, [](const CustomizationDialog& d) {
        d.Add("同期", 1);   // after クリア
        d.Add("接続", -1);  // nothing chosen on the bar: at its end
    }));
    EXPECT_EQ(Identifiers(*bar),
              (std::vector<std::string>{
                  "My Discon Toolbar Item", "My Clear Toolbar Item", "My Sync Toolbar Item", kSpace,
                  "My Log ToolbarItem", "My SyncList Toolbar Item", kSpace, "My List Toolbar Item",
                  kFlexible, "My Pref Toolbar Item", "My Connect Toolbar Item"}));
    EXPECT_FALSE(Button(101)->Enabled());
    EXPECT_FALSE(Widget(101)->isEnabled());
    EXPECT_TRUE(Button(111)->Enabled());
    EXPECT_TRUE(Widget(111)->isEnabled());

    // Moved buttons keep their state, and the bar's buttons are found by tag where they are.
    ASSERT_TRUE(Customize(*bar, [](const CustomizationDialog& d) {
        d.ChooseItem(10);
        for (int i = 0; i < 10; ++i) d.Press("上へ");
    }));
    EXPECT_EQ(bar->VisibleItems().front(), w->ToolbarItemGetButton(101));
    EXPECT_FALSE(Button(101)->Enabled());
    w->ToolbarItemStatus(101, true);
    EXPECT_TRUE(Widget(101)->isEnabled());
    fw::ModalHost::Expect(fw::ModalAnswer::Press("OK"));  // no profile: no local folder
    QTest::mouseClick(Widget(101), Qt::LeftButton);
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(arrivals[0].tag, 101);
}

TEST_F(ToolbarButtonsTest, ANewMainWindowShowsTheDefaultBarAgain) {
    ASSERT_TRUE(Customize(*bar, [](const CustomizationDialog& d) {
        d.Remove(10);
        d.Remove(4);
        d.Add("スペース", 0);
        d.ChooseItem(3);
        d.Press("下へ");
    }));
    ASSERT_NE(Identifiers(*bar).size(), 0u);
    w->ToolbarItemStatus(101, true);
    w->Close();
    fw::ProcessPendingEvents();

    OpenMainWindow();
    std::vector<std::string> defaults;
    for (const Expected& e : kDefaultBar) defaults.push_back(e.identifier);
    EXPECT_EQ(Identifiers(*bar), defaults);
    for (size_t i = 0; i < kDefaultBar.size(); ++i)
        EXPECT_EQ(bar->VisibleItems()[i]->Enabled(), kDefaultBar[i].enabledAtStart) << i;
}

}  // namespace
