// The page panel: one page shown at a time, pages that fill the panel, and controls placed on a
// page in window coordinates, through the containers that hold the panel.
#include <gtest/gtest.h>

#include <QWidget>
#include <vector>

#include "framework/Label.h"
#include "framework/PagePanel.h"
#include "framework/Rectangle.h"
#include "framework/TextField.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

class PagePanelTest : public ControlTest {
protected:
    // The profile panel's shape: a rectangle that holds a panel of three pages.
    void SetUp() override {
        Open([this](ControlTestWindow& w) {
            box = w.Add<fw::Rectangle>(
                "Rectangle1",
                {.left = -1, .top = 110, .width = 211, .height = 469, .locks = fw::LockBottom});
            pages = w.Add<fw::PagePanel>(
                "PagePanel1",
                {.container = box, .left = 2, .top = 115, .width = 204, .height = 160});
            pages->SetPanelCount(3);
            onView = w.Add<fw::Label>("StaticText17", {.container = pages,
                                                       .page = 1,
                                                       .left = 22,
                                                       .top = 138,
                                                       .width = 165,
                                                       .height = 20});
            onEdit = w.Add<fw::TextField>("EditField1", {.container = pages,
                                                         .page = 2,
                                                         .left = 18,
                                                         .top = 177,
                                                         .width = 170,
                                                         .height = 22});
        });
        pages->Change = [this](fw::PagePanel& p) { changes.push_back(p.Value()); };
    }

    fw::Rectangle* box = nullptr;
    fw::PagePanel* pages = nullptr;
    fw::Label* onView = nullptr;
    fw::TextField* onEdit = nullptr;
    std::vector<int32_t> changes;
};

TEST_F(PagePanelTest, OnlyTheCurrentPagesControlsAreShown) {
    EXPECT_EQ(pages->PanelCount(), 3);
    EXPECT_EQ(pages->Value(), 0);
    EXPECT_FALSE(onView->Shown());
    EXPECT_FALSE(onEdit->Shown());
    EXPECT_TRUE(onView->Visible()) << "its own visibility stays";

    struct Case {
        int32_t page;
        int32_t expected;  // the current page afterwards
        bool viewShown, editShown;
        std::vector<int32_t> changes;
    };
    const Case cases[] = {
        {1, 1, true, false, {1}}, {2, 2, false, true, {2}},
        {2, 2, false, true, {}},  // already current
        {3, 2, false, true, {}},  // no such page
        {-1, 2, false, true, {}}, {0, 0, false, false, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        changes.clear();
        pages->SetValue(c.page);
        EXPECT_EQ(pages->Value(), c.expected);
        EXPECT_EQ(onView->Shown(), c.viewShown);
        EXPECT_EQ(onEdit->Shown(), c.editShown);
        EXPECT_EQ(onEdit->Widget()->isVisible(), c.editShown);
        EXPECT_EQ(changes, c.changes);
    }

    pages->SetValue(2);
    onEdit->SetVisible(false);  // hidden by the program: stays hidden on its page
    pages->SetValue(1);
    pages->SetValue(2);
    EXPECT_FALSE(onEdit->Shown());
}

TEST_F(PagePanelTest, ControlsOnAPageStandInWindowCoordinates) {
    EXPECT_EQ(onEdit->Left(), 18);
    EXPECT_EQ(onEdit->Top(), 177);
    EXPECT_EQ(onView->Left(), 22);
    EXPECT_EQ(onView->Top(), 138);
    EXPECT_EQ(pages->Left(), 2);
    EXPECT_EQ(pages->Top(), 115);
    onEdit->SetTop(200);
    EXPECT_EQ(onEdit->Top(), 200);
    EXPECT_EQ(onEdit->Widget()->parentWidget(), pages->ContentWidget(2));
    EXPECT_EQ(onEdit->Widget()->y(), 200 - 115);
}

TEST_F(PagePanelTest, PagesFillThePanelAndFollowItsSize) {
    for (int32_t page = 0; page < 3; ++page)
        EXPECT_EQ(pages->ContentWidget(page)->geometry(), pages->Widget()->rect()) << page;
    pages->SetWidth(180);
    pages->SetHeight(300);
    for (int32_t page = 0; page < 3; ++page)
        EXPECT_EQ(pages->ContentWidget(page)->size(), QSize(180, 300)) << page;
    EXPECT_EQ(pages->ContentWidget(-1), pages->Widget());
}

}  // namespace
