#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QMainWindow>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/ModalHost.h"
#include "framework/Toolbar.h"
#include "framework/ToolbarControl.h"
#include "framework/ToolbarIcons.h"
#include "framework/ToolbarItem.h"
#include "framework/ToolbarSegmentedControl.h"
#include "framework/Window.h"
#include "tests/framework/ToolbarDriver.h"
#include "tests/support/ModalScript.h"

namespace {

using toolbartest::ButtonOf;
using toolbartest::CustomizationDialog;
using toolbartest::Customize;
using toolbartest::Identifiers;
using toolbartest::Texts;

const std::string kSpace = fw::kToolbarSpaceItemIdentifier;
const std::string kFlexible = fw::kToolbarFlexibleSpaceItemIdentifier;

// A document window whose Open attaches a toolbar, as the program's main window does.
class BarWindow : public fw::Window {
public:
    std::function<void(BarWindow&)> onOpen;
    void Layout() override {
        SetWidth(800);
        SetHeight(600);
    }
    void Event_Open() override {
        if (onOpen) onOpen(*this);
    }
};

// The items the test delegate makes: "Plain" has a control without segments; the others a
// segmented control with a tag.
struct ItemRow {
    std::string identifier, label, toolTip, imageName;
    int32_t tag;
};
const std::vector<ItemRow> kItems = {
    {"Play", "再生", "再生します", "NSPlayTemplate", 7},
    {"Blank", "絵なし", "絵のないボタンです", "NoSuchPicture", 8},
    {"Plain", "普通", "区切りのない部品です", "", 0},
};

class ToolbarTest : public testing::Test {
protected:
    void SetUp() override { testsupport::BeginModalScript(); }
    void TearDown() override {
        for (fw::Window* w : fw::Window::OpenWindows()) w->Close();
        fw::ProcessPendingEvents();
        testsupport::EndModalScript();
    }

    fw::ToolbarDelegate Delegate() {
        fw::ToolbarDelegate d;
        d.DefaultItemIdentifiers = [this](fw::Toolbar&) { return defaults; };
        d.AllowedItemIdentifiers = [this](fw::Toolbar&) { return allowed; };
        d.ItemForItemIdentifier = [this](fw::Toolbar&, const std::string& id, bool inserted) {
            requests.push_back({id, inserted});
            std::unique_ptr<fw::ToolbarItem> item;
            for (const ItemRow& row : kItems) {
                if (row.identifier != id) continue;
                item = std::make_unique<fw::ToolbarItem>(id);
                item->SetLabel(row.label);
                item->SetPaletteLabel(row.label + "（パレット）");
                item->SetToolTip(row.toolTip);
                if (row.tag == 0) {
                    item->SetView(std::make_unique<fw::ToolbarControl>());
                } else {
                    auto control = std::make_unique<fw::ToolbarSegmentedControl>(38, 24);
                    control->SetImage(row.imageName, 0);
                    control->SetTag(row.tag, 0);
                    item->SetView(std::move(control));
                }
            }
            return item;
        };
        return d;
    }

    // A shown window with a bar attached while it opened.
    BarWindow* OpenWithBar(bool customisable = true) {
        auto* w = new BarWindow;
        w->onOpen = [this, customisable](BarWindow& self) {
            auto bar = std::make_unique<fw::Toolbar>("TestBar");
            bar->SetAllowsUserCustomization(customisable);
            bar->SetDelegate(Delegate());
            bar->Action = [this](fw::ToolbarControl* sender) {
                clicks.push_back({sender, sender ? sender->SelectedSegment() : -2});
                if (onClick) onClick(sender);
            };
            fw::Toolbar::Attach(self, std::move(bar));
        };
        w->Build();
        return w;
    }

    fw::ToolbarItem* Item(fw::Toolbar& bar, const std::string& id) {
        for (fw::ToolbarItem* item : bar.VisibleItems())
            if (item->Identifier() == id) return item;
        return nullptr;
    }

    struct Request {
        std::string identifier;
        bool willBeInserted;
    };
    struct Click {
        fw::ToolbarControl* sender;
        int32_t selectedSegment;  // when the action arrived
    };
    std::vector<std::string> defaults{"Play", kSpace, "Blank", kFlexible, "Plain", "Unknown"};
    std::vector<std::string> allowed{"Plain", "Play", "Blank", "Unknown", kSpace, kFlexible};
    std::vector<Request> requests;
    std::vector<Click> clicks;
    std::function<void(fw::ToolbarControl*)> onClick;
};

TEST_F(ToolbarTest, TheDefaultSetStandsAboveAContentAreaThatKeepsItsSize) {
    BarWindow* w = OpenWithBar();
    fw::Toolbar* bar = fw::Toolbar::Of(*w);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Identifier(), "TestBar");
    // An identifier the delegate makes nothing for is left out.
    EXPECT_EQ(Identifiers(*bar),
              (std::vector<std::string>{"Play", kSpace, "Blank", kFlexible, "Plain"}));
    for (const Request& r : requests) EXPECT_TRUE(r.willBeInserted) << r.identifier;

    EXPECT_EQ(w->Width(), 800);
    EXPECT_EQ(w->Height(), 600);
    EXPECT_EQ(w->Widget()->width(), 800);
    EXPECT_EQ(w->Widget()->height(), 600);
    QToolBar* platform = bar->Widget();
    EXPECT_LE(platform->geometry().bottom(), w->Widget()->geometry().top());
    EXPECT_GT(platform->height(), fw::kToolbarIconSize);
    EXPECT_EQ(platform->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_FALSE(platform->isMovable());

    QToolButton* play = ButtonOf(*bar, Item(*bar, "Play"));
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->text().toStdString(), "再生");
    EXPECT_EQ(play->toolTip().toStdString(), "再生します");
    EXPECT_GE(play->width(), 38);

    // Only a document window has a bar; a window without one answers none.
    fw::Window dialog(fw::Window::Kind::ModalDialog);
    EXPECT_EQ(fw::Toolbar::Of(dialog), nullptr);
    EXPECT_THROW(fw::Toolbar::Attach(dialog, std::make_unique<fw::Toolbar>("x")),
                 std::invalid_argument);
}

TEST_F(ToolbarTest, AClickSendsTheItemsControlToTheOneActionOnce) {
    BarWindow* w = OpenWithBar();
    fw::Toolbar& bar = *fw::Toolbar::Of(*w);
    fw::ToolbarItem* play = Item(bar, "Play");
    QToolButton* button = ButtonOf(bar, play);

    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].sender, play->View());
    EXPECT_EQ(clicks[0].selectedSegment, 0);
    EXPECT_NE(play->View()->Description().find("SegmentedControl"), std::string::npos);
    EXPECT_EQ(play->View()->TagForSegment(0), 7);
    // The segment stays selected until someone clears it; a second click leaves it selected.
    EXPECT_TRUE(button->isChecked());
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[1].selectedSegment, 0);
    play->View()->SetSelected(false, 0);
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(play->View()->SelectedSegment(), -1);

    // A disabled item is greyed and takes no click.
    play->SetEnabled(false);
    EXPECT_FALSE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks.size(), 2u);
    play->SetEnabled(true);
    EXPECT_TRUE(button->isEnabled());

    // A control without segments is the sender of its own item's clicks.
    fw::ToolbarItem* plain = Item(bar, "Plain");
    QTest::mouseClick(ButtonOf(bar, plain), Qt::LeftButton);
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks[2].sender, plain->View());
    EXPECT_EQ(clicks[2].selectedSegment, -1);
    EXPECT_EQ(plain->View()->Description().find("SegmentedControl"), std::string::npos);
    EXPECT_FALSE(ButtonOf(bar, plain)->isChecked());
}

TEST_F(ToolbarTest, AnItemRemovedWhileItsClickIsHandledLastsUntilTheHandlerReturns) {
    BarWindow* w = OpenWithBar();
    fw::Toolbar& bar = *fw::Toolbar::Of(*w);
    std::string described;
    onClick = [&](fw::ToolbarControl* sender) {
        bar.RemoveItemAtIndex(0);
        fw::ProcessPendingEvents();  // a handler that gives way
        sender->SetSelected(false, 0);
        described = sender->Description();
    };
    QTest::mouseClick(ButtonOf(bar, Item(bar, "Play")), Qt::LeftButton);
    EXPECT_NE(described.find("SegmentedControl"), std::string::npos);
    fw::ProcessPendingEvents();
    EXPECT_EQ(Identifiers(bar), (std::vector<std::string>{kSpace, "Blank", kFlexible, "Plain"}));
    EXPECT_EQ(bar.Widget()->actions().size(), 4);
}

TEST_F(ToolbarTest, EveryPictureIsDrawnCrisplyAndAnUnknownNameLeavesTheButtonWithoutOne) {
    for (const char* name : {"NSPlayTemplate", "NSSynchronize", "NSNavEjectButton.normal",
                             "NSStopProgressFreestandingTemplate", "NSShareTemplate",
                             "NSPrivateChaptersTemplate", "NSSmartBadgeTemplate"}) {
        SCOPED_TRACE(name);
        QIcon icon = fw::ToolbarIcon(name);
        ASSERT_FALSE(icon.isNull());
        for (qreal ratio : {1.0, 2.0}) {
            // Drawn for the ratio, not scaled up from a smaller drawing.
            QPixmap pixmap = icon.pixmap(QSize(24, 24), ratio);
            EXPECT_EQ(pixmap.size(), QSize(24, 24) * ratio);
            EXPECT_TRUE(icon.availableSizes().contains(QSize(24, 24) * ratio));
            QImage image = pixmap.toImage();
            int dark = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (qAlpha(image.pixel(x, y)) > 200 && qGray(image.pixel(x, y)) < 100) ++dark;
            EXPECT_GT(dark, image.width() * image.height() / 20) << "ratio " << ratio;
        }
    }
    EXPECT_TRUE(fw::ToolbarIcon("NoSuchPicture").isNull());

    BarWindow* w = OpenWithBar();
    fw::Toolbar& bar = *fw::Toolbar::Of(*w);
    EXPECT_FALSE(ButtonOf(bar, Item(bar, "Play"))->icon().isNull());
    QToolButton* blank = ButtonOf(bar, Item(bar, "Blank"));
    EXPECT_TRUE(blank->icon().isNull());
    EXPECT_EQ(blank->text().toStdString(), "絵なし");
    EXPECT_EQ(blank->toolTip().toStdString(), "絵のないボタンです");
    QTest::mouseClick(blank, Qt::LeftButton);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].sender->TagForSegment(clicks[0].selectedSegment), 8);
}

TEST_F(ToolbarTest, TheUserAddsRemovesAndMovesItemsAndTheBarFollows) {
    BarWindow* w = OpenWithBar();
    fw::Toolbar& bar = *fw::Toolbar::Of(*w);
    requests.clear();
    auto barActions = [&] {
        std::vector<QAction*> expected;
        for (fw::ToolbarItem* item : bar.VisibleItems()) expected.push_back(item->PlatformAction());
        return expected;
    };

    ASSERT_TRUE(Customize(bar, [&](const CustomizationDialog& d) {
        // The palette: the allowed items the delegate makes, by their palette labels.
        EXPECT_EQ(
            Texts(d.Palette()),
            (std::vector<std::string>{"普通（パレット）", "再生（パレット）", "絵なし（パレット）",
                                      "スペース", "フレキシブルスペース"}));
        for (const Request& r : requests) EXPECT_FALSE(r.willBeInserted) << r.identifier;
        EXPECT_EQ(Texts(d.Items()), (std::vector<std::string>{"再生", "スペース", "絵なし",
                                                              "フレキシブルスペース", "普通"}));

        d.Remove(2);  // 絵なし
        EXPECT_EQ(Identifiers(bar), (std::vector<std::string>{"Play", kSpace, kFlexible, "Plain"}));
        d.Add("絵なし（パレット）", 0);  // after 再生
        EXPECT_EQ(Identifiers(bar),
                  (std::vector<std::string>{"Play", "Blank", kSpace, kFlexible, "Plain"}));
        EXPECT_EQ(d.Items()->currentRow(), 1);
        d.Press("上へ");
        EXPECT_EQ(Identifiers(bar),
                  (std::vector<std::string>{"Blank", "Play", kSpace, kFlexible, "Plain"}));
        d.ChooseItem(3);
        d.Press("下へ");
        EXPECT_EQ(Identifiers(bar),
                  (std::vector<std::string>{"Blank", "Play", kSpace, "Plain", kFlexible}));
        EXPECT_FALSE(d.Button("下へ")->isEnabled()) << "the last item moves no further right";
        d.ChooseItem(0);
        EXPECT_FALSE(d.Button("上へ")->isEnabled());

        // A button is on the bar once; spaces as often as wanted.
        d.ChoosePaletteEntry("再生（パレット）");
        EXPECT_FALSE(d.Button("追加")->isEnabled());
        d.Add("スペース", 4);
        EXPECT_EQ(Identifiers(bar),
                  (std::vector<std::string>{"Blank", "Play", kSpace, "Plain", kFlexible, kSpace}));
        EXPECT_EQ(Texts(d.Items()).size(), 6u);
    }));
    EXPECT_EQ(Identifiers(bar),
              (std::vector<std::string>{"Blank", "Play", kSpace, "Plain", kFlexible, kSpace}));
    const QList<QAction*> shown = bar.Widget()->actions();
    EXPECT_EQ(std::vector<QAction*>(shown.begin(), shown.end()), barActions());

    // A bar that the user may not customise offers no menu.
    for (fw::Window* open : fw::Window::OpenWindows()) open->Close();
    BarWindow* fixed = OpenWithBar(false);
    QToolBar* platform = fw::Toolbar::Of(*fixed)->Widget();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            platform->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(platform, &event);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(ToolbarTest, AButtonPutOnTheBarTakesTheStateLastAskedForItsTag) {
    BarWindow* w = OpenWithBar();
    fw::Toolbar& bar = *fw::Toolbar::Of(*w);
    bar.RemoveItemAtIndex(0);  // Play, tag 7
    for (bool enabled : {false, true, false}) {
        SCOPED_TRACE(enabled);
        bar.RememberEnabledState(7, enabled);
        fw::ToolbarItem* play = bar.InsertItemWithItemIdentifier("Play", 0);
        ASSERT_NE(play, nullptr);
        EXPECT_EQ(play->Enabled(), enabled);
        EXPECT_EQ(ButtonOf(bar, play)->isEnabled(), enabled);
        bar.RemoveItemAtIndex(0);
    }
    // Other tags and the items without a tag keep their own state.
    EXPECT_TRUE(bar.InsertItemWithItemIdentifier("Blank", 0)->Enabled());
    EXPECT_TRUE(bar.InsertItemWithItemIdentifier("Plain", 0)->Enabled());
    EXPECT_EQ(bar.InsertItemWithItemIdentifier("Unknown", 0), nullptr);
}

}  // namespace
