// Bevel buttons and push buttons: Action on a click or a Push, none while disabled; bevel
// buttons take no focus and fit their short captions into their small sizes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <string>

#include "framework/BevelButton.h"
#include "framework/PushButton.h"
#include "framework/TextField.h"
#include "tests/framework/ControlTestWindow.h"

namespace {

class ButtonsTest : public ControlTest {
protected:
    // How many pixels of the caption's colour a button of this size shows inside its bevel.
    static int CaptionPixels(fw::BevelButton* button, int width, int height) {
        button->SetWidth(width);
        button->SetHeight(height);
        const QImage image = button->Widget()->grab().toImage();
        const QColor text = button->Widget()->palette().color(QPalette::ButtonText);
        int n = 0;
        for (int y = 1; y < image.height() - 1; ++y)
            for (int x = 1; x < image.width() - 1; ++x) {
                const QColor c = image.pixelColor(x, y);
                if (std::abs(c.red() - text.red()) + std::abs(c.green() - text.green()) +
                        std::abs(c.blue() - text.blue()) <
                    120)
                    ++n;
            }
        return n;
    }
};

TEST_F(ButtonsTest, ABevelButtonActsOnClicksButTakesNoFocus) {
    fw::TextField* field =
        Add<fw::TextField>("field", {.left = 10, .top = 40, .width = 100, .height = 22});
    fw::BevelButton* plus =
        Add<fw::BevelButton>("BevelButton1", {.left = 5, .top = 10, .width = 22, .height = 18});
    plus->SetCaption("＋");
    int actions = 0;
    plus->Action = [&](fw::BevelButton&) { ++actions; };
    field->SetFocus();

    QTest::mouseClick(plus->Widget(), Qt::LeftButton);
    EXPECT_EQ(actions, 1);
    EXPECT_TRUE(field->HasFocus()) << "the click leaves the focus where it was";
    EXPECT_FALSE(plus->TakesFocus());
    plus->Push();
    EXPECT_EQ(actions, 2);

    plus->SetEnabled(false);
    QTest::mouseClick(plus->Widget(), Qt::LeftButton);
    plus->Push();
    EXPECT_EQ(actions, 2);
    EXPECT_EQ(plus->Caption(), "＋");
}

// Each caption is drawn whole at its button's size: it shows as many caption pixels as it does
// in a button with plenty of room.
TEST_F(ButtonsTest, ABevelButtonFitsItsCaption) {
    struct Case {
        const char* caption;
        double points;
        int width, height;
    };
    const Case cases[] = {
        {"＋", 12, 22, 18},   {"ー", 12, 22, 18},   {"選択...", 10, 40, 18},
        {"編集", 12, 40, 20}, {"保存", 12, 40, 20},
    };
    fw::BevelButton* button =
        Add<fw::BevelButton>("button", {.left = 10, .top = 10, .width = 22, .height = 18});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        button->SetCaption(c.caption);
        button->SetTextFont(c.points);
        const int roomy = CaptionPixels(button, 120, 40);
        ASSERT_GT(roomy, 0);
        EXPECT_EQ(CaptionPixels(button, c.width, c.height), roomy);
    }
}

TEST_F(ButtonsTest, APushButtonActsOnClicksAndIsNeverAutoDefault) {
    fw::PushButton* button =
        Add<fw::PushButton>("PushButton1", {.left = 10, .top = 10, .width = 82, .height = 20});
    button->SetCaption("キャンセル");
    int actions = 0;
    button->Action = [&](fw::PushButton&) { ++actions; };
    auto* platform = PlatformOf<QPushButton>(button);
    EXPECT_FALSE(platform->autoDefault());
    EXPECT_TRUE(button->TakesFocus());

    QTest::mouseClick(platform, Qt::LeftButton);
    button->SetFocus();
    QTest::keyClick(platform, Qt::Key_Space);
    button->Push();
    EXPECT_EQ(actions, 3);
    button->SetEnabled(false);
    button->Push();
    QTest::mouseClick(platform, Qt::LeftButton);
    EXPECT_EQ(actions, 3);

    button->SetDefault(true);
    button->SetCancel(true);
    EXPECT_TRUE(button->Default() && button->Cancel());
    EXPECT_TRUE(platform->isDefault());
    EXPECT_FALSE(platform->autoDefault());
}

}  // namespace
