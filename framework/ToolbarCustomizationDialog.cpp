#include "ToolbarCustomizationDialog.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "ModalHost.h"
#include "PlatformInternal.h"
#include "Toolbar.h"
#include "ToolbarIcons.h"

namespace fw {

namespace {

const char* const kTitle = "ツールバーのカスタマイズ";
const char* const kAdd = "追加";
const char* const kRemove = "削除";
const char* const kUp = "上へ";
const char* const kDown = "下へ";
const char* const kDone = "完了";

// An item without a picture gets an empty one, so that every name in a list starts in line.
QIcon IconOf(const ToolbarItem& item) {
    QIcon icon = item.View() ? ToolbarIcon(item.View()->ImageName(0)) : QIcon();
    if (!icon.isNull()) return icon;
    QPixmap blank(kToolbarIconSize, kToolbarIconSize);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

QString PaletteName(const ToolbarItem& item) {
    return ToQString(item.PaletteLabel().empty() ? item.Label() : item.PaletteLabel());
}

QString BarName(const ToolbarItem& item) {
    return ToQString(item.Label().empty() ? item.PaletteLabel() : item.Label());
}

bool OnBar(const Toolbar& toolbar, const std::string& identifier) {
    for (ToolbarItem* item : toolbar.VisibleItems())
        if (item->Identifier() == identifier) return true;
    return false;
}

// The dialog's widgets and what its buttons do to the toolbar.
class Customization {
public:
    Customization(Toolbar& toolbar, QDialog* dialog) : toolbar_(toolbar), bar_(toolbar.Widget()) {
        dialog->setWindowTitle(QString::fromUtf8(kTitle));
        palette_ = MakeList("palette");
        items_ = MakeList("items");
        add_ = new QPushButton(QString::fromUtf8(kAdd));
        remove_ = new QPushButton(QString::fromUtf8(kRemove));
        up_ = new QPushButton(QString::fromUtf8(kUp));
        down_ = new QPushButton(QString::fromUtf8(kDown));
        auto* done = new QPushButton(QString::fromUtf8(kDone));
        done->setDefault(true);

        auto* buttons = new QVBoxLayout;
        buttons->addStretch();
        for (QPushButton* b : {add_, remove_, up_, down_}) buttons->addWidget(b);
        buttons->addStretch();
        auto* grid = new QGridLayout(dialog);
        grid->addWidget(new QLabel(QStringLiteral("使用できる項目")), 0, 0);
        grid->addWidget(new QLabel(QStringLiteral("ツールバーの項目（上から順に左から並びます）")),
                        0, 2);
        grid->addWidget(palette_, 1, 0);
        grid->addLayout(buttons, 1, 1);
        grid->addWidget(items_, 1, 2);
        auto* bottom = new QHBoxLayout;
        bottom->addStretch();
        bottom->addWidget(done);
        grid->addLayout(bottom, 2, 0, 1, 3);

        FillPalette();
        ShowItems(-1);

        QObject::connect(add_, &QPushButton::clicked, dialog, [this] { Add(); });
        QObject::connect(palette_, &QListWidget::itemDoubleClicked, dialog, [this] { Add(); });
        QObject::connect(remove_, &QPushButton::clicked, dialog, [this] { Remove(); });
        QObject::connect(up_, &QPushButton::clicked, dialog, [this] { Move(-1); });
        QObject::connect(down_, &QPushButton::clicked, dialog, [this] { Move(+1); });
        QObject::connect(done, &QPushButton::clicked, dialog, &QDialog::accept);
        QObject::connect(palette_, &QListWidget::currentRowChanged, dialog,
                         [this] { UpdateButtons(); });
        QObject::connect(items_, &QListWidget::currentRowChanged, dialog,
                         [this] { UpdateButtons(); });
    }

    static std::vector<std::string> Captions() { return {kAdd, kRemove, kUp, kDown, kDone}; }

private:
    static QListWidget* MakeList(const char* name) {
        auto* list = new QListWidget;
        list->setObjectName(QString::fromUtf8(name));
        list->setIconSize(QSize(kToolbarIconSize, kToolbarIconSize));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setMinimumSize(220, 300);
        return list;
    }

    // The bar went while the dialog was up (its window closed): nothing left to change.
    bool Gone() const { return !bar_; }

    void FillPalette() {
        const ToolbarDelegate& delegate = toolbar_.Delegate();
        if (!delegate.AllowedItemIdentifiers) return;
        for (const std::string& identifier : delegate.AllowedItemIdentifiers(toolbar_)) {
            std::unique_ptr<ToolbarItem> item = toolbar_.MakeItem(identifier, false);
            if (!item) continue;
            auto* row = new QListWidgetItem(IconOf(*item), PaletteName(*item), palette_);
            row->setData(Qt::UserRole, ToQString(identifier));
            row->setToolTip(ToQString(item->ToolTip()));
        }
    }

    void ShowItems(int select) {
        items_->clear();
        if (!Gone())
            for (ToolbarItem* item : toolbar_.VisibleItems())
                new QListWidgetItem(IconOf(*item), BarName(*item), items_);
        if (select >= 0 && select < items_->count()) items_->setCurrentRow(select);
        UpdateButtons();
    }

    std::string ChosenIdentifier() const {
        QListWidgetItem* row = palette_->currentItem();
        return row ? FromQString(row->data(Qt::UserRole).toString()) : std::string();
    }

    // A button is on the bar at most once; spaces as often as the user likes.
    bool CanAdd() const {
        const std::string identifier = ChosenIdentifier();
        if (identifier.empty() || Gone()) return false;
        return identifier == kToolbarSpaceItemIdentifier ||
               identifier == kToolbarFlexibleSpaceItemIdentifier || !OnBar(toolbar_, identifier);
    }

    void UpdateButtons() {
        const int row = items_->currentRow();
        add_->setEnabled(CanAdd());
        remove_->setEnabled(!Gone() && row >= 0);
        up_->setEnabled(!Gone() && row > 0);
        down_->setEnabled(!Gone() && row >= 0 && row + 1 < items_->count());
    }

    // After the selected item of the bar, or at its end.
    void Add() {
        if (!CanAdd()) return;
        const int row = items_->currentRow();
        const int at = row >= 0 ? row + 1 : items_->count();
        if (toolbar_.InsertItemWithItemIdentifier(ChosenIdentifier(), at)) ShowItems(at);
    }

    void Remove() {
        const int row = items_->currentRow();
        if (Gone() || row < 0) return;
        toolbar_.RemoveItemAtIndex(row);
        ShowItems(std::min(row, items_->count() - 2));
    }

    void Move(int by) {
        const int row = items_->currentRow();
        const int to = row + by;
        if (Gone() || row < 0 || to < 0 || to >= items_->count()) return;
        toolbar_.MoveItem(row, to);
        ShowItems(to);
    }

    Toolbar& toolbar_;
    QPointer<QToolBar> bar_;
    QListWidget* palette_ = nullptr;
    QListWidget* items_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
};

}  // namespace

void RunToolbarCustomizationDialog(Toolbar& toolbar, QWidget* parent) {
    // On the heap: should the window that is its parent close meanwhile, the dialog goes with it.
    QPointer<QDialog> dialog = new QDialog(parent);
    Customization customization(toolbar, dialog);
    ModalPrompt prompt;
    prompt.kind = "window";
    prompt.title = kTitle;
    prompt.buttons = Customization::Captions();
    ModalHost::Run(dialog, prompt);
    delete dialog;
}

}  // namespace fw
