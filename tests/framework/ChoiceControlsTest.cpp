// Check boxes, radio buttons and pop-up menus: their values and the events that follow them,
// whichever way the value changes.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "framework/CheckBox.h"
#include "framework/PagePanel.h"
#include "framework/PopupMenu.h"
#include "framework/RadioButton.h"
#include "framework/Rectangle.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

class ChoiceControlsTest : public ControlTest {
protected:
    // A click on the button's indicator, at its left end.
    static void ClickIndicator(QWidget* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
};

TEST_F(ChoiceControlsTest, ACheckBoxRaisesActionAfterEveryChangeOfItsValue) {
    fw::CheckBox* box =
        Add<fw::CheckBox>("passive", {.left = 10, .top = 10, .width = 120, .height = 20});
    box->SetCaption("パッシブモード");
    std::vector<bool> seen;  // the value as each Action found it
    box->Action = [&](fw::CheckBox& b) { seen.push_back(b.Value()); };
    auto* platform = PlatformOf<QCheckBox>(box);

    struct Case {
        const char* how;
        std::function<void()> act;
        std::vector<bool> expected;
    };
    const Case cases[] = {
        {"a click", [&] { ClickIndicator(platform); }, {true}},
        {"a click again", [&] { ClickIndicator(platform); }, {false}},
        {"the space bar", [&] { QTest::keyClick(platform, Qt::Key_Space); }, {true}},
        {"SetValue to the other value", [&] { box->SetValue(false); }, {false}},
        {"SetValue to the same value", [&] { box->SetValue(false); }, {}},
        {"a click while disabled",
         [&] {
             box->SetEnabled(false);
             ClickIndicator(platform);
             box->SetEnabled(true);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        seen.clear();
        c.act();
        EXPECT_EQ(seen, c.expected);
        if (!c.expected.empty()) {
            EXPECT_EQ(box->Value(), c.expected.back());
        }
    }
    EXPECT_EQ(box->Caption(), "パッシブモード");
    EXPECT_EQ(box->TextSize(), 10);
}

// The radio buttons directly in one container, or on one page, are a group of their own.
TEST_F(ChoiceControlsTest, RadioButtonsFormOneGroupPerContainer) {
    std::vector<std::string> selected;
    auto radio = [&](const std::string& name, fw::ControlPlacement where) {
        auto* r = Add<fw::RadioButton>(name, where);
        r->SetCaption(name);
        r->Action = [&](fw::RadioButton& b) { selected.push_back(b.Name()); };
        return r;
    };
    fw::RadioButton* a1 = radio("a1", {.left = 10, .top = 10, .width = 80, .height = 20});
    fw::RadioButton* a2 = radio("a2", {.left = 10, .top = 30, .width = 80, .height = 20});
    auto* box = Add<fw::Rectangle>("box", {.left = 150, .top = 10, .width = 200, .height = 200});
    fw::RadioButton* b1 =
        radio("b1", {.container = box, .left = 160, .top = 20, .width = 80, .height = 20});
    fw::RadioButton* b2 =
        radio("b2", {.container = box, .left = 160, .top = 40, .width = 80, .height = 20});
    auto* pages = Add<fw::PagePanel>(
        "pages", {.container = box, .left = 160, .top = 80, .width = 180, .height = 100});
    pages->SetPanelCount(2);
    fw::RadioButton* p1 = radio(
        "p1", {.container = pages, .page = 0, .left = 170, .top = 90, .width = 80, .height = 20});
    fw::RadioButton* p2 = radio(
        "p2", {.container = pages, .page = 0, .left = 170, .top = 110, .width = 80, .height = 20});

    a1->SetValue(true);
    b1->SetValue(true);
    ClickIndicator(PlatformOf<QRadioButton>(p2));
    EXPECT_EQ(selected, (std::vector<std::string>{"a1", "b1", "p2"}));
    EXPECT_TRUE(a1->Value() && b1->Value() && p2->Value());
    EXPECT_FALSE(p1->Value());

    selected.clear();
    ClickIndicator(PlatformOf<QRadioButton>(a2));
    ClickIndicator(PlatformOf<QRadioButton>(a2));  // already selected
    EXPECT_EQ(selected, std::vector<std::string>{"a2"});
    EXPECT_FALSE(a1->Value());
    EXPECT_TRUE(b1->Value()) << "another container's group";
    EXPECT_TRUE(p2->Value()) << "a page's group";

    selected.clear();
    a2->SetValue(false);  // the program may clear the group
    EXPECT_FALSE(a1->Value() || a2->Value());
    b2->SetValue(true);
    EXPECT_FALSE(b1->Value());
    EXPECT_EQ(selected, std::vector<std::string>{"b2"});
}

TEST_F(ChoiceControlsTest, APopupMenuRaisesChangeForEveryChangeOfItsSelection) {
    fw::PopupMenu* menu =
        Add<fw::PopupMenu>("mode", {.left = 10, .top = 10, .width = 150, .height = 20});
    std::vector<int32_t> seen;
    menu->Change = [&](fw::PopupMenu& m) { seen.push_back(m.ListIndex()); };
    menu->AddRow("アップロードのみ");
    menu->AddRow("アップロード＆削除");
    EXPECT_EQ(menu->ListCount(), 2);
    EXPECT_EQ(menu->ListIndex(), -1) << "adding rows selects none";
    EXPECT_EQ(menu->Text(), "");
    EXPECT_TRUE(seen.empty());
    auto* platform = PlatformOf<QComboBox>(menu);

    struct Case {
        const char* how;
        std::function<void()> act;
        std::vector<int32_t> expected;
        int32_t index;
    };
    const Case cases[] = {
        {"SetListIndex", [&] { menu->SetListIndex(0); }, {0}, 0},
        {"SetListIndex to the same row", [&] { menu->SetListIndex(0); }, {}, 0},
        {"a row that does not exist", [&] { menu->SetListIndex(2); }, {}, 0},
        {"the keyboard",
         [&] {
             menu->SetFocus();
             QTest::keyClick(platform, Qt::Key_Down);
         },
         {1},
         1},
        {"a row picked from the open list",
         [&] {
             platform->showPopup();
             QAbstractItemView* list = platform->view();
             ASSERT_TRUE(fw::RunEventLoopUntil([&] { return list->isVisible(); }, 5000));
             QTest::keyClick(list, Qt::Key_Up);
             QTest::keyClick(list, Qt::Key_Return);
         },
         {0},
         0},
        {"no row", [&] { menu->SetListIndex(-1); }, {-1}, -1},
        {"emptied while a row is selected",
         [&] {
             menu->SetListIndex(1);
             menu->DeleteAllRows();
         },
         {1, -1},
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        seen.clear();
        c.act();
        EXPECT_EQ(seen, c.expected);
        EXPECT_EQ(menu->ListIndex(), c.index);
    }
    EXPECT_EQ(menu->ListCount(), 0);
    menu->AddRow("LF");
    menu->AddRow("CR+LF");
    menu->SetListIndex(1);
    EXPECT_EQ(menu->Text(), "CR+LF");
    EXPECT_EQ(menu->List(0), "LF");
    EXPECT_EQ(menu->List(5), "");
}

}  // namespace
