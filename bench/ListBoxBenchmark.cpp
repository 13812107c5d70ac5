// List box speed: 100,000 rows added the way the comparison fills its lists (seven columns, a
// check box in column 0) to a shown list, and a folder opened from code whose ExpandRow handler
// adds 10,000 rows, then closed. Each timing runs until the window has shown the result. The same
// work on a QTreeWidget, one item per row, is timed in the same run beside it.
#include <QAbstractItemView>
#include <QApplication>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "framework/Application.h"
#include "framework/EventLoop.h"
#include "framework/ListBox.h"
#include "framework/Window.h"

namespace {

constexpr int kFillRows = 100000;
constexpr int kExpandRows = 10000;
constexpr int kColumns = 7;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The text a comparison row carries: name, size, date, path, kind, group, index.
struct RowTexts {
    std::string cells[kColumns];
    explicit RowTexts(int i) {
        // Built as whole strings: assigning a literal or "file" + to_string(i) into an array
        // element trips a false -Wrestrict of the optimiser.
        cells[0] = std::string("file") + std::to_string(i) + ".html";
        cells[1] = std::to_string(1000 + i % 9000) + " B";
        cells[2] = std::string("2024/05/17");
        cells[3] = "/home/user/site/folder" + std::to_string(i / 100) + "/" + cells[0];
        cells[4] = std::string("f");
        cells[5] = std::string();
        cells[6] = std::to_string(i);
    }
};

// Lets the window show what changed: every pending event handled, then the list painted.
void Show(QWidget* widget, const std::function<bool()>& caughtUp) {
    fw::ProcessPendingEvents();
    fw::RunEventLoopUntil(caughtUp, 60000);
    widget->repaint();
}

class BenchWindow : public fw::Window {
public:
    fw::ListBox* list = nullptr;
    void Layout() override {
        SetWidth(600);
        SetHeight(500);
    }
    void CreateControls() override {
        list = AddControl<fw::ListBox>("list");
        list->Place({.left = 0, .top = 0, .width = 600, .height = 500});
        list->SetColumnCount(kColumns);
        list->SetColumnWidths("45%,22%,*,0,0,0,0");
        list->SetHasHeading(true);
        list->SetHierarchical(true);
    }
};

bool ListCaughtUp(fw::ListBox& list) {
    auto* view = static_cast<QAbstractItemView*>(list.Widget());
    return view->model()->rowCount() == list.ListCount();
}

void AddListRow(fw::ListBox& list, const RowTexts& texts, int row) {
    list.AddRow("");
    list.SetCell(row, 1, texts.cells[1]);
    list.SetCell(row, 4, texts.cells[4]);
    list.SetCell(row, 0, texts.cells[0]);
    list.SetCellType(row, 0, fw::ListBox::TypeCheckBox);
    list.SetCellCheck(row, 0, row % 3 == 0);
    list.SetCell(row, 2, texts.cells[2]);
    list.SetCell(row, 3, texts.cells[3]);
    list.SetCell(row, 6, texts.cells[6]);
}

double FillList() {
    BenchWindow window;
    window.Build();
    fw::ListBox& list = *window.list;
    Show(list.Widget(), [] { return true; });
    auto start = Clock::now();
    for (int i = 0; i < kFillRows; ++i) AddListRow(list, RowTexts(i), i);
    Show(list.Widget(), [&] { return ListCaughtUp(list); });
    double seconds = Seconds(start);
    if (list.ListCount() != kFillRows ||
        list.Cell(kFillRows - 1, 6) != std::to_string(kFillRows - 1))
        return -1;
    return seconds;
}

double ExpandList() {
    BenchWindow window;
    window.Build();
    fw::ListBox& list = *window.list;
    list.AddFolder("folder");
    list.ExpandRow = [](fw::ListBox& l, int32_t folder) {
        for (int i = 0; i < kExpandRows; ++i) AddListRow(l, RowTexts(i), folder + 1 + i);
    };
    Show(list.Widget(), [&] { return ListCaughtUp(list); });
    auto start = Clock::now();
    list.SetExpanded(0, true);
    Show(list.Widget(), [&] { return ListCaughtUp(list); });
    bool opened = list.ListCount() == kExpandRows + 1;
    list.SetExpanded(0, false);
    Show(list.Widget(), [&] { return ListCaughtUp(list); });
    double seconds = Seconds(start);
    if (!opened || list.ListCount() != 1) return -1;
    return seconds;
}

// The peer: the same rows as items of a QTreeWidget.
std::unique_ptr<QTreeWidget> MakeTree() {
    auto tree = std::make_unique<QTreeWidget>();
    tree->setColumnCount(kColumns);
    tree->resize(600, 500);
    tree->show();
    Show(tree.get(), [] { return true; });
    return tree;
}

void AddTreeItem(QTreeWidgetItem* item, const RowTexts& texts, int row) {
    item->setText(1, QString::fromStdString(texts.cells[1]));
    item->setText(4, QString::fromStdString(texts.cells[4]));
    item->setText(0, QString::fromStdString(texts.cells[0]));
    item->setCheckState(0, row % 3 == 0 ? Qt::Checked : Qt::Unchecked);
    item->setText(2, QString::fromStdString(texts.cells[2]));
    item->setText(3, QString::fromStdString(texts.cells[3]));
    item->setText(6, QString::fromStdString(texts.cells[6]));
}

double FillTree() {
    auto tree = MakeTree();
    auto start = Clock::now();
    for (int i = 0; i < kFillRows; ++i)
        AddTreeItem(new QTreeWidgetItem(tree.get()), RowTexts(i), i);
    Show(tree.get(), [] { return true; });
    double seconds = Seconds(start);
    return tree->topLevelItemCount() == kFillRows ? seconds : -1;
}

double ExpandTree() {
    auto tree = MakeTree();
    auto* folder = new QTreeWidgetItem(tree.get(), QStringList{"folder"});
    folder->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    QObject::connect(tree.get(), &QTreeWidget::itemExpanded, [](QTreeWidgetItem* item) {
        for (int i = 0; i < kExpandRows; ++i)
            AddTreeItem(new QTreeWidgetItem(item), RowTexts(i), i);
    });
    QObject::connect(tree.get(), &QTreeWidget::itemCollapsed,
                     [](QTreeWidgetItem* item) { qDeleteAll(item->takeChildren()); });
    Show(tree.get(), [] { return true; });
    auto start = Clock::now();
    tree->expandItem(folder);
    Show(tree.get(), [] { return true; });
    bool opened = folder->childCount() == kExpandRows;
    tree->collapseItem(folder);
    Show(tree.get(), [] { return true; });
    double seconds = Seconds(start);
    return opened && folder->childCount() == 0 ? seconds : -1;
}

}  // namespace

int main() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    fw::EnsurePlatformApplication();
    const double fill = FillList();
    const double fillTree = FillTree();
    const double expand = ExpandList();
    const double expandTree = ExpandTree();
    if (fill < 0 || fillTree < 0 || expand < 0 || expandTree < 0) {
        std::fprintf(stderr, "a run went wrong (%.3f %.3f %.3f %.3f)\n", fill, fillTree, expand,
                     expandTree);
        return 1;
    }
    std::printf("listbox fill %d rows: %.3f s\n", kFillRows, fill);
    std::printf("listbox fill %d rows (QTreeWidget): %.3f s\n", kFillRows, fillTree);
    std::printf("listbox expand %d rows: %.3f s\n", kExpandRows, expand);
    std::printf("listbox expand %d rows (QTreeWidget): %.3f s\n", kExpandRows, expandTree);
    return 0;
}
