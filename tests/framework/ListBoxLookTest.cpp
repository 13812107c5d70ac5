#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Color.h"
#include "framework/ListBoxColumnWidths.h"
#include "tests/framework/FrameworkTestSupport.h"
#include "tests/framework/ListBoxFixture.h"

namespace {

using Widths = std::vector<int32_t>;

TEST(ListBoxColumnWidthsTest, PixelsPercentagesAndSharesFillTheWidth) {
    struct Case {
        const char* widths;
        int columns;
        int total;
        Widths expected;
    };
    const std::vector<Case> cases = {
        {"45%,22%,*,0,0,0,0", 7, 200, {90, 44, 66, 0, 0, 0, 0}},
        {"45%,22%,*,0,0,0,0", 7, 293, {131, 64, 98, 0, 0, 0, 0}},
        {"100%,0", 2, 208, {208, 0}},
        {"", 2, 101, {50, 51}},               // no widths: equal shares
        {"80,*,2*", 3, 380, {80, 100, 200}},  // weighted shares
        {"50", 3, 150, {50, 50, 50}},         // columns beyond the list take a share
        {" 25% , * ", 2, 100, {25, 75}},
        {"abc,-5,*", 3, 90, {30, 30, 30}},  // what is not a width counts as a share
        {"300,*", 2, 200, {300, 0}},        // nothing left for the share
        {"*,*", 2, 0, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.widths) + " in " + std::to_string(c.total));
        EXPECT_EQ(fw::ComputeColumnWidths(c.widths, c.columns, c.total), c.expected);
    }
}

class ListBoxLookTest : public ListBoxFixture {
protected:
    // The comparison's three visible columns for the view's width now.
    Widths ExpectedWidths() {
        const int w = Viewport()->width();
        const int name = w * 45 / 100;
        const int size = w * 22 / 100;
        return {name, size, w - name - size, 0, 0, 0, 0};
    }
    Widths ActualWidths() {
        Widths widths;
        for (int column = 0; column < 7; ++column)
            widths.push_back(List().ColumnWidthActual(column));
        return widths;
    }
    QColor Pixel(const QImage& image, int row, int column) {
        return image.pixelColor(CellRect(row, column).center());
    }
};

TEST_F(ListBoxLookTest, PercentWidthsFollowEveryChangeOfTheListsWidth) {
    EXPECT_EQ(ActualWidths(), ExpectedWidths());
    const int before = Viewport()->width();
    List().SetWidth(kWidth + 150);
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return Viewport()->width() == before + 150; }, 5000));
    EXPECT_EQ(ActualWidths(), ExpectedWidths());

    // The vertical scroll bar comes when the rows need it, and the columns make room for it.
    ASSERT_FALSE(View()->verticalScrollBar()->isVisible());
    AddRows(50);
    CatchUp();
    ASSERT_TRUE(
        fw::RunEventLoopUntil([&] { return View()->verticalScrollBar()->isVisible(); }, 5000));
    EXPECT_LT(Viewport()->width(), before + 150);
    EXPECT_EQ(ActualWidths(), ExpectedWidths());
    EXPECT_FALSE(View()->horizontalScrollBar()->isVisible());
}

TEST_F(ListBoxLookTest, ResizableColumnsCanBeDraggedWider) {
    List().SetHasHeading(true);
    List().SetColumnsResizable(true);
    CatchUp();
    QHeaderView* heading = View()->horizontalHeader();
    const int before = List().ColumnWidthActual(0);
    const QPoint edge(heading->sectionViewportPosition(0) + before - 1, heading->height() / 2);
    QTest::mousePress(heading->viewport(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(heading->viewport(), edge + QPoint(30, 0));
    QTest::mouseRelease(heading->viewport(), Qt::LeftButton, {}, edge + QPoint(30, 0));
    EXPECT_EQ(List().ColumnWidthActual(0), before + 30);

    List().SetColumnsResizable(false);
    const QPoint edge2(before + 30 - 1, heading->height() / 2);
    QTest::mousePress(heading->viewport(), Qt::LeftButton, {}, edge2);
    QTest::mouseMove(heading->viewport(), edge2 + QPoint(30, 0));
    QTest::mouseRelease(heading->viewport(), Qt::LeftButton, {}, edge2 + QPoint(30, 0));
    EXPECT_EQ(List().ColumnWidthActual(0), before + 30);
}

TEST_F(ListBoxLookTest, CellBackgroundPaintTintsItsOwnCellAndTheSelectionGoesOverIt) {
    const fw::Color tint = fw::RGB(237, 243, 254);
    struct Call {
        int row, column, width, height;
    };
    std::vector<Call> calls;
    List().CellBackgroundPaint = [&](fw::ListBox& l, fw::Graphics& g, int32_t row, int32_t column) {
        calls.push_back({row, column, g.Width(), g.Height()});
        if (row % 2 == 1) {
            g.ForeColor = tint;
            g.FillRect(0, 0, l.Width(), 24);  // taller than a row: the cell bounds it
        }
        return false;
    };
    AddRows(6);
    List().SetListIndex(3);
    CatchUp();
    const QImage image = Viewport()->grab().toImage();

    const QColor base = View()->palette().color(QPalette::Active, QPalette::Base);
    const QColor highlight = View()->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor tinted(tint.r, tint.g, tint.b);
    EXPECT_EQ(Pixel(image, 0, 2), base);
    EXPECT_EQ(Pixel(image, 1, 2), tinted);
    EXPECT_EQ(Pixel(image, 2, 2), base);
    EXPECT_EQ(Pixel(image, 3, 2), highlight);
    EXPECT_EQ(Pixel(image, 5, 2), tinted);
    // The row's text is drawn over its background.
    const QRect text = Layout(1, 0).text;
    bool inked = false;
    for (int x = text.left(); x < text.left() + 40 && !inked; ++x)
        for (int y = text.top(); y <= text.bottom() && !inked; ++y)
            inked = image.pixelColor(x, y) != tinted;
    EXPECT_TRUE(inked);

    ASSERT_FALSE(calls.empty());
    for (const Call& c : calls) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
        EXPECT_LT(c.column, 3);  // zero-width columns are never painted
        const QRect cell = CellRect(c.row, c.column);
        EXPECT_EQ(c.width, cell.width());
        EXPECT_EQ(c.height, cell.height());
    }
}

TEST_F(ListBoxLookTest, ABackgroundHandlerAnsweringTrueKeepsTheSelectedRowAsItDrewIt) {
    const fw::Color panel = fw::RGB(215, 221, 229);
    List().CellBackgroundPaint = [&](fw::ListBox& l, fw::Graphics& g, int32_t, int32_t) {
        g.ForeColor = panel;
        g.FillRect(0, 0, l.Width(), l.Height());
        return true;
    };
    AddRows(3);
    List().SetListIndex(1);
    CatchUp();
    const QImage image = Viewport()->grab().toImage();
    EXPECT_EQ(Pixel(image, 0, 2), QColor(panel.r, panel.g, panel.b));
    EXPECT_EQ(Pixel(image, 1, 2), QColor(panel.r, panel.g, panel.b));
}

TEST_F(ListBoxLookTest, AnExceptionFromTheBackgroundHandlerIsReportedAfterThePaint) {
    CapturedExceptions captured;
    bool painting = false;
    bool reportedWhilePainting = false;
    captured.onReport = [&] { reportedWhilePainting = reportedWhilePainting || painting; };
    List().CellBackgroundPaint = [&](fw::ListBox&, fw::Graphics&, int32_t row,
                                     int32_t column) -> bool {
        if (row == 1 && column == 0) throw std::runtime_error("no paint");
        return false;
    };
    AddRows(2);
    List().SetListIndex(1);
    CatchUp();
    painting = true;
    const QImage image = Viewport()->grab().toImage();
    painting = false;
    ASSERT_TRUE(fw::RunEventLoopUntil([&] { return !captured.What().empty(); }, 5000));
    EXPECT_EQ(captured.What().front(), "no paint");
    EXPECT_FALSE(reportedWhilePainting);
    // The rest of the row is painted as usual.
    EXPECT_EQ(Pixel(image, 1, 2), View()->palette().color(QPalette::Active, QPalette::Highlight));
    List().CellBackgroundPaint = nullptr;
}

TEST_F(ListBoxLookTest, CheckBoxesAndFoldersAreDrawnWhereTheyAreClicked) {
    AddCheckRow("ticked", true);
    AddCheckRow("unticked", false);
    List().AddFolder("folder");
    const fw::ListBoxCellLayout ticked = Layout(0, 0);
    const fw::ListBoxCellLayout unticked = Layout(1, 0);
    const fw::ListBoxCellLayout folder = Layout(2, 0);
    ASSERT_FALSE(ticked.checkBox.isEmpty());
    EXPECT_TRUE(folder.checkBox.isEmpty());
    EXPECT_FALSE(folder.disclosure.isEmpty());
    EXPECT_TRUE(ticked.disclosure.isEmpty());
    EXPECT_GE(ticked.text.left(), ticked.checkBox.right());

    // A ticked box and an unticked one look different, and the box is drawn where it is clicked.
    const QImage image = Viewport()->grab().toImage();
    EXPECT_NE(image.copy(ticked.checkBox), image.copy(unticked.checkBox));
    const QColor base = View()->palette().color(QPalette::Active, QPalette::Base);
    bool drawn = false;
    for (int x = ticked.checkBox.left(); x <= ticked.checkBox.right(); ++x)
        drawn = drawn || image.pixelColor(x, ticked.checkBox.center().y()) != base;
    EXPECT_TRUE(drawn);
}

TEST_F(ListBoxLookTest, HeadingsShowAndNeverSortTheRows) {
    List().SetHasHeading(true);
    List().SetHeading(0, "名前");
    List().SetHeading(1, "サイズ");
    List().SetHeading(2, "修正日");
    List().SetHeading(9, "none");
    for (int column = 0; column < 7; ++column) List().SetHeaderType(column, 1);
    EXPECT_EQ(List().Heading(0), "名前");
    EXPECT_EQ(List().Heading(3), "");
    EXPECT_EQ(List().Heading(9), "");
    EXPECT_EQ(List().HeaderType(6), 1);
    QHeaderView* heading = View()->horizontalHeader();
    EXPECT_TRUE(heading->isVisible());
    EXPECT_EQ(View()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("サイズ"));

    List().AddRow("b");
    List().AddRow("a");
    CatchUp();
    QTest::mouseClick(heading->viewport(), Qt::LeftButton, {},
                      QPoint(heading->sectionViewportPosition(0) + 20, heading->height() / 2));
    EXPECT_EQ(List().Cell(0, 0), "b");
    EXPECT_EQ(List().Cell(1, 0), "a");
    EXPECT_TRUE(log.empty());

    List().SetHasHeading(false);
    EXPECT_FALSE(heading->isVisible());
}

TEST_F(ListBoxLookTest, RowsGrowWithTheTextSize) {
    AddRows(1);
    const int at12 = CellRect(0, 0).height();
    List().SetTextFont(24);
    CatchUp();
    const int at24 = CellRect(0, 0).height();
    EXPECT_GE(at24, 24);
    EXPECT_GT(at24, at12);
}

TEST_F(ListBoxLookTest, ScrollBarsFollowSetScrollBars) {
    AddRows(60);
    CatchUp();
    ASSERT_TRUE(
        fw::RunEventLoopUntil([&] { return View()->verticalScrollBar()->isVisible(); }, 5000));
    List().SetScrollBars(false, false);
    EXPECT_TRUE(
        fw::RunEventLoopUntil([&] { return !View()->verticalScrollBar()->isVisible(); }, 5000));
}

}  // namespace
