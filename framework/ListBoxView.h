#pragma once

// The platform side of a list box: a table model over the list's own rows and a table view that
// draws them (indentation, disclosure triangles, check boxes, the program's cell backgrounds and
// the selection) and turns clicks and keys into the list's events.

#include <QAbstractItemDelegate>
#include <QAbstractTableModel>
#include <QTableView>
#include <QTimer>

#include "ListBoxImpl.h"

namespace fw {

// The model says only how many rows and columns there are; what a row holds is read from the
// list's store when it is drawn. Changes of the row count reach the view in one notification
// each time the view is brought up to date (SyncRows), however many rows came or went since.
class ListBoxModel : public QAbstractTableModel {
public:
    ListBoxModel(ListBox::Impl& list, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void SyncRows();
    void SetColumnCount(int32_t count);
    void HeadingChanged(int32_t column);

private:
    ListBox::Impl& list_;
    int32_t shownRows_ = 0;
    int32_t shownColumns_ = 1;
};

// Where the parts of a cell are drawn, in the view's viewport coordinates.
struct ListBoxCellLayout {
    QRect disclosure;  // empty unless the row is a folder of a hierarchical list (column 0)
    QRect checkBox;    // empty unless the cell is a check box
    QRect text;
};

class ListBoxView : public QTableView {
public:
    ListBoxView();
    ~ListBoxView() override;

    void Attach(ListBox::Impl* list);

    // The rows changed: the view catches up as soon as the program waits for events, or after a
    // short interval while it does not, so that a fill of many rows costs one notification per
    // interval rather than one per row.
    void ScheduleSync();
    void SyncNow();
    bool InSync() const;

    void ApplyColumnWidths();
    void SetColumnCount(int32_t count);
    void HeadingChanged(int32_t column);
    void ShowRow(int32_t row);

    ListBoxCellLayout CellLayout(int32_t row, int32_t column) const;
    ListBoxCellLayout CellLayout(const ListBoxRow& row, int32_t column, const QRect& cell) const;
    ListBox::Impl* List() const { return list_; }

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    struct Hit {
        int32_t row = -1;
        int32_t column = -1;
        int32_t x = 0;
        int32_t y = 0;
        ListBoxCellPart part = ListBoxCellPart::Text;
    };
    Hit HitAt(const QPoint& p);
    void DeliverClick(const Hit& hit, bool twice);
    int32_t AvailableWidth() const;
    void UpdateRowHeight();

    ListBox::Impl* list_ = nullptr;
    ListBoxModel* model_ = nullptr;
    QTimer syncTimer_;
    bool syncPending_ = false;
};

}  // namespace fw
