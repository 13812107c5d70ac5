// The Tab key takes the focus through the controls by their tab positions among their siblings,
// the controls of a container in the container's place; controls that take no focus, and those
// on a page that is not shown, are passed over.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "framework/BevelButton.h"
#include "framework/CheckBox.h"
#include "framework/Label.h"
#include "framework/PagePanel.h"
#include "framework/PopupMenu.h"
#include "framework/PushButton.h"
#include "framework/Rectangle.h"
#include "framework/TextArea.h"
#include "framework/TextField.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

class TabOrderTest : public ControlTest {
protected:
    std::string FocusedName() {
        QWidget* focused = QApplication::focusWidget();
        for (const auto& c : window->Controls())
            if (c->Widget() == focused) return c->Name();
        return "(none)";
    }
    // The controls the focus visits from the one named first, by pressing Tab count times.
    std::vector<std::string> Walk(const std::string& first, int count, bool backwards = false) {
        window->ControlNamed(first)->SetFocus();
        std::vector<std::string> visited{FocusedName()};
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(QApplication::focusWidget(), backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                            backwards ? Qt::ShiftModifier : Qt::NoModifier);
            visited.push_back(FocusedName());
        }
        return visited;
    }
};

TEST_F(TabOrderTest, TabFollowsTheTabPositionsAmongSiblingsWithContainersInPlace) {
    Open([](ControlTestWindow& w) {
        // Created in an order of their own; the tab positions decide.
        w.Add<fw::TextField>("last", {.left = 10, .top = 10, .width = 80, .height = 22, .tab = 9});
        auto* box =
            w.Add<fw::Rectangle>("box", {.left = 10, .top = 40, .width = 380, .height = 200});
        auto* pages = w.Add<fw::PagePanel>(
            "pages", {.container = box, .left = 20, .top = 50, .width = 360, .height = 180});
        pages->SetPanelCount(3);
        pages->SetValue(2);
        auto onPage = [&](const char* name, int page, int tab, int top) {
            return w.Add<fw::TextField>(name, {.container = pages,
                                               .page = page,
                                               .left = 30,
                                               .top = top,
                                               .width = 80,
                                               .height = 22,
                                               .tab = tab});
        };
        // The profile name field stands at the top but comes after the check box.
        onPage("EditField7", 2, 13, 60);
        onPage("EditField1", 2, 4, 90);
        w.Add<fw::CheckBox>("CheckBox2", {.container = pages,
                                          .page = 2,
                                          .left = 30,
                                          .top = 120,
                                          .width = 120,
                                          .height = 20,
                                          .tab = 10});
        onPage("EditField2", 2, 5, 150);
        w.Add<fw::PopupMenu>("PopupMenu1", {.container = pages,
                                            .page = 2,
                                            .left = 30,
                                            .top = 180,
                                            .width = 120,
                                            .height = 20,
                                            .tab = 36});
        w.Add<fw::TextArea>("EditField6", {.container = pages,
                                           .page = 2,
                                           .left = 200,
                                           .top = 60,
                                           .width = 120,
                                           .height = 60,
                                           .tab = 9})
            ->SetReadOnly(true);
        w.Add<fw::BevelButton>("BevelButton4", {.container = pages,
                                                .page = 2,
                                                .left = 200,
                                                .top = 130,
                                                .width = 40,
                                                .height = 18,
                                                .tab = 27});
        onPage("onHiddenPage", 1, 3, 60);
        w.Add<fw::Label>("label", {.left = 100, .top = 10, .width = 80, .height = 20, .tab = 1});
        w.Add<fw::PushButton>("first",
                              {.left = 200, .top = 10, .width = 80, .height = 20, .tab = 0});
        w.Add<fw::TextField>("second",
                             {.left = 300, .top = 10, .width = 80, .height = 22, .tab = 2});
    });
    const std::vector<std::string> forward{"first",      "second",    "EditField1", "EditField2",
                                           "EditField6", "CheckBox2", "EditField7", "PopupMenu1",
                                           "last",       "first"};
    EXPECT_EQ(Walk("first", 9), forward);
    EXPECT_EQ(Walk("first", 9, true), std::vector<std::string>(forward.rbegin(), forward.rend()));
}

}  // namespace
