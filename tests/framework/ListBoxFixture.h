#pragma once

// A shown window holding one list box, with the list's events written into a log, and the
// clicks and keys a user would give it.

#include <gtest/gtest.h>

#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/EventLoop.h"
#include "framework/Graphics.h"
#include "framework/ListBox.h"
#include "framework/ListBoxView.h"
#include "framework/Window.h"

class ListBoxFixture : public testing::Test {
protected:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 240;

    ListBoxFixture() {
        window_ = std::make_unique<fw::Window>();
        window_->Build();
        window_->SetWidth(kWidth + 20);
        window_->SetHeight(kHeight + 20);
        list_ = window_->AddControl<fw::ListBox>("list");
        list_->Place({.left = 0, .top = 0, .width = kWidth, .height = kHeight});
        list_->SetColumnCount(7);
        list_->SetColumnWidths("45%,22%,*,0,0,0,0");
        list_->SetHierarchical(true);
        RecordEvents(*list_);
        EXPECT_TRUE(fw::RunEventLoopUntil([&] { return list_->Widget()->isVisible(); }, 5000));
    }

    fw::ListBox& List() { return *list_; }
    fw::ListBoxView* View() { return static_cast<fw::ListBoxView*>(list_->Widget()); }
    QWidget* Viewport() { return View()->viewport(); }

    // Binds every event of list so that it writes a line into log.
    void RecordEvents(fw::ListBox& list) {
        list.Change = [this](fw::ListBox& l) {
            log.push_back("Change " + std::to_string(l.ListIndex()));
        };
        list.ExpandRow = [this](fw::ListBox& l, int32_t row) {
            log.push_back("ExpandRow " + std::to_string(row));
            if (onExpand) onExpand(l, row);
        };
        list.CollapseRow = [this](fw::ListBox&, int32_t row) {
            log.push_back("CollapseRow " + std::to_string(row));
        };
        list.CellClick = [this](fw::ListBox& l, int32_t row, int32_t column, int32_t x, int32_t y) {
            log.push_back("CellClick " + std::to_string(row) + " " + std::to_string(column) +
                          (l.CellCheck(row, column) ? " checked" : ""));
            clickX = x;
            clickY = y;
            return cellClickAnswer;
        };
        list.CellAction = [this](fw::ListBox& l, int32_t row, int32_t column) {
            log.push_back("CellAction " + std::to_string(row) + " " + std::to_string(column) +
                          (l.CellCheck(row, column) ? " checked" : ""));
        };
        list.DoubleClick = [this](fw::ListBox&, int32_t row) {
            log.push_back("DoubleClick " + std::to_string(row));
        };
    }

    // Waits until the view shows the rows the list holds.
    void CatchUp() {
        ASSERT_TRUE(fw::RunEventLoopUntil([&] { return View()->InSync(); }, 5000));
    }

    // Adds plain rows named "row 0", "row 1" ... at the end.
    void AddRows(int count) {
        for (int i = 0; i < count; ++i) List().AddRow("row " + std::to_string(List().ListCount()));
    }

    void AddCheckRow(const std::string& name, bool checked) {
        List().AddRow(name);
        List().SetCellType(List().LastIndex(), 0, fw::ListBox::TypeCheckBox);
        List().SetCellCheck(List().LastIndex(), 0, checked);
    }

    // Where the parts of a cell are on the screen, once the view has caught up.
    fw::ListBoxCellLayout Layout(int row, int column) {
        CatchUp();
        return View()->CellLayout(row, column);
    }
    QRect CellRect(int row, int column) {
        CatchUp();
        return View()->visualRect(View()->model()->index(row, column));
    }

    void Click(const QPoint& at) { QTest::mouseClick(Viewport(), Qt::LeftButton, {}, at); }
    // As the platform sends it: a click, then the second press as a double click.
    void DoubleClick(const QPoint& at) {
        QTest::mouseClick(Viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, at);
    }
    void ClickText(int row, int column) { Click(Layout(row, column).text.center()); }
    void ClickCheckBox(int row, int column) { Click(Layout(row, column).checkBox.center()); }
    void ClickDisclosure(int row) { Click(Layout(row, 0).disclosure.center()); }
    void Press(Qt::Key key) {
        View()->setFocus();
        QTest::keyClick(View(), key);
    }

    std::vector<std::string> log;
    bool cellClickAnswer = false;
    int clickX = -1;
    int clickY = -1;
    std::function<void(fw::ListBox&, int32_t)> onExpand;

private:
    std::unique_ptr<fw::Window> window_;
    fw::ListBox* list_ = nullptr;
};
