#include "ListBoxView.h"

#include <QAbstractEventDispatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "EventDispatcher.h"
#include "ListBoxColumnWidths.h"
#include "PainterGraphics.h"
#include "PlatformInternal.h"

namespace fw {

namespace {

// The longest the view lags behind the rows while the program keeps changing them without waiting
// for events (a fill that gives way after every row); once the program waits, the view catches up
// at once.
constexpr int kSyncIntervalMs = 20;
constexpr int kPadding = 3;
constexpr int kIndent = 16;  // per level, and the disclosure triangle's place

void DrawDisclosure(QPainter& painter, const QRect& area, bool open, const QColor& color) {
    const QPointF c = QRectF(area).center();
    const qreal s = 4;
    QPolygonF triangle;
    if (open)
        triangle << QPointF(c.x() - s, c.y() - s / 2) << QPointF(c.x() + s, c.y() - s / 2)
                 << QPointF(c.x(), c.y() + s / 2 + 1);
    else
        triangle << QPointF(c.x() - s / 2, c.y() - s) << QPointF(c.x() - s / 2, c.y() + s)
                 << QPointF(c.x() + s / 2 + 1, c.y());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPolygon(triangle);
    painter.restore();
}

// Runs the program's CellBackgroundPaint. What escapes it is reported once the paint is over:
// a message box must not open in the middle of painting.
bool PaintBackground(ListBox& owner, Graphics& g, int32_t row, int32_t column) {
    std::string escaped;
    try {
        return owner.CellBackgroundPaint(owner, g, row, column);
    } catch (const std::exception& e) {
        escaped = e.what();
    } catch (...) {
        escaped = "unknown exception";
    }
    QTimer::singleShot(0, [escaped] { ReportUnhandledException(escaped); });
    return false;
}

// Paints a cell: the program's background, the selection, then the cell's content.
class ListBoxDelegate : public QAbstractItemDelegate {
public:
    explicit ListBoxDelegate(ListBoxView* view) : QAbstractItemDelegate(view), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        ListBox::Impl* list = view_->List();
        const int32_t row = index.row();
        const int32_t column = index.column();
        if (!list || !list->rows.Contains(row)) return;
        const QRect cell = option.rect;
        ListBox& owner = list->owner;
        bool handled = false;
        if (owner.CellBackgroundPaint) {
            PainterGraphics g(*painter, cell);
            handled = PaintBackground(owner, g, row, column);
            if (!list->rows.Contains(row)) return;
        }
        const QPalette& palette = view_->palette();
        const bool highlighted = row == list->selected && !handled;
        if (highlighted)
            painter->fillRect(cell, palette.color(QPalette::Active, QPalette::Highlight));
        const QPalette::ColorGroup group =
            view_->isEnabled() ? QPalette::Active : QPalette::Disabled;
        const QColor ink = highlighted ? palette.color(QPalette::Active, QPalette::HighlightedText)
                                       : palette.color(group, QPalette::Text);

        const ListBoxRow& r = list->rows.At(row);
        const ListBoxCellLayout layout = view_->CellLayout(r, column, cell);
        painter->save();
        painter->setClipRect(cell, Qt::IntersectClip);
        if (!layout.disclosure.isEmpty())
            DrawDisclosure(*painter, layout.disclosure, r.expanded, ink);
        if (!layout.checkBox.isEmpty()) {
            QStyleOptionButton box;
            box.initFrom(view_);
            box.rect = layout.checkBox;
            box.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
            box.state |= list->CheckOf(row, column) ? QStyle::State_On : QStyle::State_Off;
            view_->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, view_);
        }
        if (const std::string_view cellText = r.Cell(static_cast<size_t>(column));
            !cellText.empty()) {
            const QString text = option.fontMetrics.elidedText(ToQString(cellText), Qt::ElideRight,
                                                               layout.text.width());
            painter->setFont(option.font);
            painter->setPen(ink);
            painter->drawText(layout.text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                              text);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {0, view_->verticalHeader()->defaultSectionSize()};
    }

private:
    ListBoxView* view_;
};

}  // namespace

// --- Model

ListBoxModel::ListBoxModel(ListBox::Impl& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list), shownColumns_(list.columnCount) {}

int ListBoxModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int ListBoxModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownColumns_;
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !list_.ValidCell(index.row(), index.column())) return {};
    const std::string_view text =
        list_.rows.At(index.row()).Cell(static_cast<size_t>(index.column()));
    return ToQString(text);
}

QVariant ListBoxModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0) return {};
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    if (static_cast<size_t>(section) >= list_.headings.size()) return QString();
    return ToQString(list_.headings[section]);
}

Qt::ItemFlags ListBoxModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void ListBoxModel::SyncRows() {
    const int32_t rows = list_.rows.Size();
    if (rows > shownRows_) {
        beginInsertRows({}, shownRows_, rows - 1);
        shownRows_ = rows;
        endInsertRows();
    } else if (rows < shownRows_) {
        beginRemoveRows({}, rows, shownRows_ - 1);
        shownRows_ = rows;
        endRemoveRows();
    }
}

void ListBoxModel::SetColumnCount(int32_t count) {
    if (count > shownColumns_) {
        beginInsertColumns({}, shownColumns_, count - 1);
        shownColumns_ = count;
        endInsertColumns();
    } else if (count < shownColumns_) {
        beginRemoveColumns({}, count, shownColumns_ - 1);
        shownColumns_ = count;
        endRemoveColumns();
    }
}

void ListBoxModel::HeadingChanged(int32_t column) {
    emit headerDataChanged(Qt::Horizontal, column, column);
}

// --- View

ListBoxView::ListBoxView() {
    setSelectionMode(NoSelection);  // the list keeps its own selection
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSortingEnabled(false);
    setDragEnabled(false);
    setAutoScroll(false);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollMode(ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);

    QHeaderView* rowsHeader = verticalHeader();
    rowsHeader->hide();
    rowsHeader->setMinimumSectionSize(1);
    rowsHeader->setSectionResizeMode(QHeaderView::Fixed);

    QHeaderView* heading = horizontalHeader();
    heading->hide();
    heading->setSectionsClickable(false);  // the list never sorts
    heading->setHighlightSections(false);
    heading->setMinimumSectionSize(0);
    heading->setStretchLastSection(false);
    heading->setSectionResizeMode(QHeaderView::Fixed);
    heading->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    setItemDelegate(new ListBoxDelegate(this));
    syncTimer_.setSingleShot(true);
    connect(&syncTimer_, &QTimer::timeout, this, [this] { SyncNow(); });
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (syncPending_) SyncNow();
        });
}

ListBoxView::~ListBoxView() = default;

void ListBoxView::Attach(ListBox::Impl* list) {
    syncTimer_.stop();
    syncPending_ = false;
    if (!list) {
        // The list is going; nothing may read its rows any more.
        list_ = nullptr;
        setModel(nullptr);
        delete model_;
        model_ = nullptr;
        return;
    }
    list_ = list;
    model_ = new ListBoxModel(*list, this);
    setModel(model_);
    UpdateRowHeight();
    ApplyColumnWidths();
}

void ListBoxView::ScheduleSync() {
    if (syncPending_) return;
    syncPending_ = true;
    syncTimer_.start(kSyncIntervalMs);
}

void ListBoxView::SyncNow() {
    syncTimer_.stop();
    syncPending_ = false;
    if (!model_) return;
    model_->SyncRows();
    viewport()->update();
}

bool ListBoxView::InSync() const {
    return model_ && !syncPending_ && model_->rowCount() == list_->rows.Size();
}

int32_t ListBoxView::AvailableWidth() const {
    // A view that was never shown has not laid out its viewport yet.
    return isVisible() ? viewport()->width() : maximumViewportSize().width();
}

void ListBoxView::ApplyColumnWidths() {
    if (!list_) return;
    const std::vector<int32_t> widths =
        ComputeColumnWidths(list_->columnWidths, list_->columnCount, AvailableWidth());
    QHeaderView* heading = horizontalHeader();
    for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
        const bool hidden = widths[column] <= 0;
        if (heading->isSectionHidden(column) != hidden) heading->setSectionHidden(column, hidden);
        if (!hidden && heading->sectionSize(column) != widths[column])
            heading->resizeSection(column, widths[column]);
    }
}

void ListBoxView::SetColumnCount(int32_t count) {
    if (!model_) return;
    model_->SetColumnCount(count);
    ApplyColumnWidths();
}

void ListBoxView::HeadingChanged(int32_t column) {
    if (model_) model_->HeadingChanged(column);
}

void ListBoxView::ShowRow(int32_t row) {
    if (!list_ || !list_->rows.Contains(row)) return;
    SyncNow();
    executeDelayedItemsLayout();  // the scroll range follows the rows now
    const int top = rowViewportPosition(row);
    const int bottom = top + rowHeight(row);
    QScrollBar* bar = verticalScrollBar();
    if (top < 0)
        bar->setValue(bar->value() + top);
    else if (bottom > viewport()->height())
        bar->setValue(bar->value() + bottom - viewport()->height());
}

void ListBoxView::UpdateRowHeight() {
    const int box = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
    verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height(), box) + 4);
}

ListBoxCellLayout ListBoxView::CellLayout(const ListBoxRow& row, int32_t column,
                                          const QRect& cell) const {
    ListBoxCellLayout layout;
    int x = cell.left() + kPadding;
    if (column == 0 && list_ && list_->hierarchical) {
        x += row.depth * kIndent;
        if (row.folder) layout.disclosure = QRect(x, cell.top(), kIndent, cell.height());
        x += kIndent;
    }
    const bool isCheckBox =
        (row.Mark(static_cast<size_t>(column)) & ListBoxRow::kTypeMask) == ListBox::TypeCheckBox;
    if (isCheckBox) {
        const int w = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this);
        const int h = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
        layout.checkBox = QRect(x, cell.top() + (cell.height() - h) / 2, w, h);
        x += w + kPadding;
    }
    layout.text = QRect(x, cell.top(), std::max(0, cell.right() - kPadding - x + 1), cell.height());
    return layout;
}

ListBoxCellLayout ListBoxView::CellLayout(int32_t row, int32_t column) const {
    if (!list_ || !list_->ValidCell(row, column) || !model_ || row >= model_->rowCount()) return {};
    return CellLayout(list_->rows.At(row), column, visualRect(model_->index(row, column)));
}

ListBoxView::Hit ListBoxView::HitAt(const QPoint& p) {
    SyncNow();  // the rows under the pointer are the rows the user sees
    Hit hit;
    const int row = rowAt(p.y());
    const int column = columnAt(p.x());
    if (row < 0 || !list_ || !list_->rows.Contains(row)) return hit;
    hit.row = row;
    hit.column = column;
    if (column < 0) return hit;
    const QRect cell = visualRect(model_->index(row, column));
    hit.x = p.x() - cell.left();
    hit.y = p.y() - cell.top();
    const ListBoxCellLayout layout = CellLayout(list_->rows.At(row), column, cell);
    if (layout.disclosure.contains(p))
        hit.part = ListBoxCellPart::Disclosure;
    else if (layout.checkBox.adjusted(-2, -2, 2, 2).contains(p))
        hit.part = ListBoxCellPart::CheckBox;
    return hit;
}

void ListBoxView::mousePressEvent(QMouseEvent* e) {
    e->accept();
    if (list_ && e->button() == Qt::LeftButton) DeliverClick(HitAt(e->position().toPoint()), false);
}

void ListBoxView::mouseDoubleClickEvent(QMouseEvent* e) {
    e->accept();
    if (list_ && e->button() == Qt::LeftButton) DeliverClick(HitAt(e->position().toPoint()), true);
}

void ListBoxView::DeliverClick(const Hit& hit, bool twice) {
    // The click may have to wait for a handler of the list that is running; its row moves with
    // the rows that handler adds or removes, so the click lands on the row the user pointed at.
    auto row = std::make_shared<int32_t>(hit.row);
    ListBox::Impl* list = list_;
    list->waitingClicks.push_back(row.get());
    list->owner.Deliver([list, hit, row, twice] {
        auto& waiting = list->waitingClicks;
        waiting.erase(std::remove(waiting.begin(), waiting.end(), row.get()), waiting.end());
        if (twice)
            list->UserDoubleClick(*row, hit.column, hit.x, hit.y, hit.part);
        else
            list->UserClick(*row, hit.column, hit.x, hit.y, hit.part);
    });
}

void ListBoxView::mouseMoveEvent(QMouseEvent* e) {
    e->accept();  // no drag selection, no dragging rows
}

void ListBoxView::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
}

void ListBoxView::keyPressEvent(QKeyEvent* e) {
    using Key = ListBox::Impl::Key;
    Key key;
    switch (e->key()) {
        case Qt::Key_Up:
            key = Key::Up;
            break;
        case Qt::Key_Down:
            key = Key::Down;
            break;
        case Qt::Key_Left:
            key = Key::Left;
            break;
        case Qt::Key_Right:
            key = Key::Right;
            break;
        case Qt::Key_Space:
            key = Key::Space;
            break;
        default:
            QAbstractScrollArea::keyPressEvent(e);  // page keys scroll; the rest goes on
            return;
    }
    e->accept();
    if (!list_) return;
    ListBox::Impl* list = list_;
    list->owner.Deliver([list, key] { list->UserKey(key); });
}

void ListBoxView::resizeEvent(QResizeEvent* e) {
    QTableView::resizeEvent(e);  // the viewport's new size
    ApplyColumnWidths();
}

void ListBoxView::showEvent(QShowEvent* e) {
    QTableView::showEvent(e);
    ApplyColumnWidths();
}

void ListBoxView::changeEvent(QEvent* e) {
    QTableView::changeEvent(e);
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) UpdateRowHeight();
}

}  // namespace fw
