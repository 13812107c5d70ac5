// When a window changes size, exactly the locked controls move or stretch, by the change of
// their own container's size; a control inside a container moves with it.
#include <gtest/gtest.h>

#include <QWidget>
#include <map>
#include <string>

#include "framework/Label.h"
#include "framework/PagePanel.h"
#include "framework/Rectangle.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

using fw::LockBottom;
using fw::LockLeft;
using fw::LockRight;
using fw::LockTop;

struct Bounds {
    int left, top, width, height;
    bool operator==(const Bounds&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Bounds& b) {
    return out << "(" << b.left << ", " << b.top << ", " << b.width << " x " << b.height << ")";
}

Bounds Of(const fw::Control* c) {
    return {c->Left(), c->Top(), c->Width(), c->Height()};
}

class ControlLocksTest : public ControlTest {
protected:
    void Grow(int dw, int dh) {
        const QSize wanted = window->Widget()->size() + QSize(dw, dh);
        window->SetWidth(wanted.width());
        window->SetHeight(wanted.height());
        ASSERT_TRUE(
            fw::RunEventLoopUntil([&] { return window->Widget()->size() == wanted; }, 5000));
    }
};

TEST_F(ControlLocksTest, ResizingMovesAndStretchesExactlyTheLockedControls) {
    struct Case {
        const char* name;
        const char* in;  // the container, "" for the window
        int page;
        Bounds placed;
        int locks;
        Bounds expected;  // after the window grew by 100 x 60
    };
    const Case cases[] = {
        {"none", "", -1, {10, 10, 50, 20}, 0, {10, 10, 50, 20}},
        {"left top", "", -1, {70, 10, 50, 20}, LockLeft | LockTop, {70, 10, 50, 20}},
        {"right", "", -1, {340, 10, 50, 20}, LockRight, {440, 10, 50, 20}},
        {"bottom", "", -1, {10, 270, 50, 20}, LockBottom, {10, 330, 50, 20}},
        {"right bottom", "", -1, {340, 270, 50, 20}, LockRight | LockBottom, {440, 330, 50, 20}},
        {"left right", "", -1, {10, 40, 380, 20}, LockLeft | LockRight, {10, 40, 480, 20}},
        {"top bottom", "", -1, {10, 70, 50, 190}, LockTop | LockBottom, {10, 70, 50, 250}},
        {"box",
         "",
         -1,
         {100, 70, 200, 150},
         LockLeft | LockTop | LockRight | LockBottom,
         {100, 70, 300, 210}},
        {"in box, right", "box", -1, {280, 80, 10, 10}, LockRight, {380, 80, 10, 10}},
        {"in box, bottom", "box", -1, {110, 200, 10, 10}, LockBottom, {110, 260, 10, 10}},
        {"in box, left right",
         "box",
         -1,
         {110, 100, 180, 20},
         LockLeft | LockRight,
         {110, 100, 280, 20}},
        {"in box, none", "box", -1, {110, 125, 10, 10}, 0, {110, 125, 10, 10}},
        {"pages",
         "box",
         -1,
         {110, 140, 180, 70},
         LockLeft | LockTop | LockRight | LockBottom,
         {110, 140, 280, 130}},
        {"on page 0, bottom", "pages", 0, {120, 190, 10, 10}, LockBottom, {120, 250, 10, 10}},
        {"on page 1, right", "pages", 1, {270, 150, 10, 10}, LockRight, {370, 150, 10, 10}},
        {"on page 1, none", "pages", 1, {200, 150, 10, 10}, 0, {200, 150, 10, 10}},
        {"bar", "", -1, {300, 240, 90, 40}, LockRight | LockBottom, {400, 300, 90, 40}},
        {"in bar", "bar", -1, {305, 245, 20, 20}, 0, {405, 305, 20, 20}},
        {"in bar, stretched",
         "bar",
         -1,
         {330, 245, 50, 20},
         LockLeft | LockRight,
         {430, 305, 50, 20}},
    };
    std::map<std::string, fw::Control*> made;
    Open([&](ControlTestWindow& w) {
        for (const Case& c : cases) {
            fw::Control* container = *c.in ? made.at(c.in) : nullptr;
            const fw::ControlPlacement where{container,    c.page,         c.placed.left,
                                             c.placed.top, c.placed.width, c.placed.height,
                                             c.locks};
            fw::Control* control = nullptr;
            if (std::string(c.name) == "box" || std::string(c.name) == "bar")
                control = w.Add<fw::Rectangle>(c.name, where);
            else if (std::string(c.name) == "pages") {
                auto* pages = w.Add<fw::PagePanel>(c.name, where);
                pages->SetPanelCount(2);
                control = pages;
            } else
                control = w.Add<fw::Label>(c.name, where);
            made[c.name] = control;
        }
    });
    for (const Case& c : cases) EXPECT_EQ(Of(made.at(c.name)), c.placed) << c.name << " as placed";

    Grow(100, 60);
    static_cast<fw::PagePanel*>(made.at("pages"))->SetValue(1);  // a page shown only now
    for (const Case& c : cases) EXPECT_EQ(Of(made.at(c.name)), c.expected) << c.name;

    Grow(-100, -60);  // and back
    for (const Case& c : cases) EXPECT_EQ(Of(made.at(c.name)), c.placed) << c.name << " back";
}

}  // namespace
