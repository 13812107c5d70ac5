// The About panel: one modeless instance, shown by the About command and hidden by a click.
#include <gtest/gtest.h>

#include <QColor>
#include <QFontMetrics>
#include <QLabel>
#include <QPalette>
#include <QTest>
#include <string>
#include <vector>

#include "framework/MenuBar.h"
#include "profiles/AboutPanel.h"
#include "tests/shell/ShellTestFixture.h"

namespace {

using namespace shelltest;

std::vector<std::string> SplitAtCarriageReturns(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char ch : text) {
        if (ch == '\r')
            lines.emplace_back();
        else
            lines.back() += ch;
    }
    return lines;
}

int OpenPanels() {
    int n = 0;
    for (fw::Window* w : fw::Window::OpenWindows())
        if (dynamic_cast<AboutPanel*>(w)) ++n;
    return n;
}

class AboutPanelTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        StartApp();
    }
    static AboutPanel* ChooseAbout() {
        fw::ChooseMenuItem("AppleAbout");
        fw::ProcessPendingEvents();
        return fw::Window::FindOpen<AboutPanel>();
    }
    static void ClickAt(AboutPanel* panel, QPoint where) {
        QTest::mouseClick(panel->Widget(), Qt::LeftButton, Qt::NoModifier, where);
        fw::ProcessPendingEvents();
    }
};

TEST_F(AboutPanelTest, AboutCommandShowsTheModelessPanel) {
    AboutPanel* panel = ChooseAbout();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->Visible());
    EXPECT_EQ(panel->Title(), "");
    EXPECT_EQ(panel->Width(), 420);
    EXPECT_EQ(panel->Height(), 260);
    QWidget* top = panel->Widget()->window();
    EXPECT_EQ(top->minimumSize(), top->maximumSize());  // not resizable
    EXPECT_FALSE(fw::ModalHost::Active());
    EXPECT_TRUE(fw::ModalHost::Shown().empty());

    EXPECT_EQ(panel->StaticText1->Text(), "Quillomar");
    EXPECT_EQ(panel->StaticText3->Text(), "Ver. 2.0a1");
    // Four lines with one, three and one empty lines between them.
    const std::vector<std::string> lines = SplitAtCarriageReturns(panel->StaticText2->Text());
    ASSERT_EQ(lines.size(), 9u);
    for (size_t i : {1u, 3u, 4u, 5u, 7u}) EXPECT_EQ(lines[i], "") << i;
    for (size_t i : {0u, 2u, 6u, 8u}) EXPECT_FALSE(lines[i].empty()) << i;
    EXPECT_NE(lines[0].find("Korvu"), std::string::npos);
    EXPECT_NE(lines[2].find("@"), std::string::npos);
    EXPECT_NE(lines[8].find("Korvu"), std::string::npos);

    struct Look {
        std::string text;
        QRect geometry;
        double points;
        bool italic;
        QColor color;
    };
    const Look looks[] = {
        {"Quillomar", {110, 25, 200, 50}, 32, true, QColor(0, 0, 255)},
        {"Ver. 2.0a1", {160, 80, 100, 14}, 11, false, QColor(0, 51, 102)},
        {"credits", {50, 110, 340, 130}, 10, false, QColor(51, 0, 0)},
    };
    const QList<QLabel*> labels = panel->Widget()->findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 3);
    for (const Look& look : looks) {
        SCOPED_TRACE(look.text);
        QLabel* label = nullptr;
        for (QLabel* l : labels)
            if (l->geometry() == look.geometry) label = l;
        ASSERT_NE(label, nullptr);
        // Sizes are the design's points, one per pixel, so the text fits the label drawn for it.
        EXPECT_EQ(label->font().pixelSize(), static_cast<int>(look.points));
        const QSize needed = QFontMetrics(label->font())
                                 .boundingRect(QRect(0, 0, 10000, 10000), 0, label->text())
                                 .size();
        EXPECT_LE(needed.width(), look.geometry.width());
        EXPECT_LE(needed.height(), look.geometry.height());
        EXPECT_EQ(label->font().italic(), look.italic);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), look.color);
        EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
        EXPECT_FALSE(label->textInteractionFlags() & Qt::TextSelectableByMouse);
    }
}

TEST_F(AboutPanelTest, ChoosingAboutAgainKeepsOnePanel) {
    AboutPanel* first = ChooseAbout();
    AboutPanel* second = ChooseAbout();
    EXPECT_EQ(first, second);
    EXPECT_EQ(OpenPanels(), 1);
    EXPECT_TRUE(second->Visible());
}

TEST_F(AboutPanelTest, ClickAnywhereHidesItAndShowShowsTheSamePanel) {
    // An empty spot, and a spot on each label: labels take no clicks, the panel does.
    for (QPoint where : {QPoint(5, 5), QPoint(210, 50), QPoint(210, 87), QPoint(220, 180)}) {
        SCOPED_TRACE(testing::Message() << where.x() << "," << where.y());
        AboutPanel* panel = ChooseAbout();
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(panel->Visible());
        ClickAt(panel, where);
        EXPECT_FALSE(panel->Visible());
        EXPECT_EQ(fw::Window::FindOpen<AboutPanel>(), panel);  // hidden, not closed
        AboutPanel::Instance()->Show();
        EXPECT_TRUE(panel->Visible());
        EXPECT_EQ(OpenPanels(), 1);
    }
}

TEST_F(AboutPanelTest, CloseBoxDestroysItAndTheNextAboutBuildsANewOne) {
    AboutPanel* panel = ChooseAbout();
    ASSERT_NE(panel, nullptr);
    panel->Widget()->window()->close();
    fw::ProcessPendingEvents();
    EXPECT_EQ(OpenPanels(), 0);
    EXPECT_FALSE(app().HasQuit());  // closing the panel is not a quit

    AboutPanel* again = ChooseAbout();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->Visible());
    EXPECT_EQ(again->StaticText3->Text(), "Ver. 2.0a1");
    EXPECT_EQ(OpenPanels(), 1);
}

TEST_F(AboutPanelTest, MainWindowKeepsWorkingWhileThePanelIsOpen) {
    ASSERT_NE(ChooseAbout(), nullptr);
    fw::ChooseMenuItem("FileQuit");
    EXPECT_TRUE(fw::RunEventLoopUntil([&] { return app().HasQuit(); }, 5000));
    EXPECT_EQ(Get("dataset2"), Int32(-1));
    EXPECT_TRUE(fw::Window::OpenWindows().empty());
}

}  // namespace
