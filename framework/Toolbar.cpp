#include "Toolbar.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <QWidget>
#include <algorithm>
#include <stdexcept>

#include "EventDispatcher.h"
#include "EventLoopInternal.h"
#include "PlatformInternal.h"
#include "ToolbarCustomizationDialog.h"
#include "ToolbarIcons.h"
#include "ToolbarSegmentedControl.h"
#include "Window.h"

namespace fw {

// The platform bar; it owns the toolbar, so both go with the window.
class Toolbar::Bar : public QToolBar {
public:
    Bar(std::unique_ptr<Toolbar> model, QWidget* parent)
        : QToolBar(parent), model_(std::move(model)) {}
    ~Bar() override { model_.reset(); }  // its items leave the bar while it is still one
    Toolbar* Model() const { return model_.get(); }

private:
    std::unique_ptr<Toolbar> model_;
};

namespace {

bool IsStandardIdentifier(const std::string& identifier) {
    return identifier == kToolbarSpaceItemIdentifier ||
           identifier == kToolbarFlexibleSpaceItemIdentifier;
}

// A removed item may be the one whose click is being handled further down the stack: it goes
// once that has returned to the event loop.
void DisposeLater(std::unique_ptr<ToolbarItem> item) {
    auto* holder = new QObject;
    QObject::connect(holder, &QObject::destroyed, [raw = item.release()] { delete raw; });
    holder->deleteLater();
}

}  // namespace

Toolbar::Toolbar(std::string identifier) : identifier_(std::move(identifier)) {}

Toolbar::~Toolbar() = default;

Toolbar& Toolbar::Attach(Window& window, std::unique_ptr<Toolbar> toolbar) {
    auto* main = qobject_cast<QMainWindow*>(window.Widget()->window());
    if (!main) throw std::invalid_argument("only a document window has a toolbar");
    const int32_t contentHeight = window.Height();
    if (Toolbar* old = Of(window)) delete old->bar_;

    Toolbar& model = *toolbar;
    auto* bar = new Bar(std::move(toolbar), main);
    model.bar_ = bar;
    model.window_ = &window;
    bar->setObjectName(ToQString(model.identifier_));
    bar->setWindowTitle(ToQString(model.identifier_));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(kToolbarIconSize, kToolbarIconSize));
    model.ApplyDisplayMode();
    bar->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(bar, &QWidget::customContextMenuRequested, bar,
                     [&model](const QPoint& at) { model.ShowContextMenu(at.x(), at.y()); });
    // The main window's own menu would offer to hide the bar; the bar's menu is the one to use.
    main->setContextMenuPolicy(Qt::NoContextMenu);
    main->addToolBar(Qt::TopToolBarArea, bar);

    if (model.items_.empty()) {
        model.LoadDefaultItems();
    } else {
        for (size_t i = 0; i < model.items_.size(); ++i) model.ShowOnBar(static_cast<int>(i));
    }
    window.SetHeight(contentHeight);
    return model;
}

Toolbar* Toolbar::Of(const Window& window) {
    QWidget* top = window.Widget()->window();
    for (QToolBar* bar : top->findChildren<QToolBar*>(QString(), Qt::FindDirectChildrenOnly))
        if (auto* ours = dynamic_cast<Bar*>(bar)) return ours->Model();
    return nullptr;
}

void Toolbar::SetAllowsUserCustomization(bool allows) {
    allowsUserCustomization_ = allows;
}

void Toolbar::SetDisplayMode(DisplayMode mode) {
    displayMode_ = mode;
    ApplyDisplayMode();
}

void Toolbar::ApplyDisplayMode() {
    if (!bar_) return;
    switch (displayMode_) {
        case DisplayMode::IconAndLabel:
            bar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            break;
        case DisplayMode::IconOnly:
            bar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
            break;
        case DisplayMode::LabelOnly:
            bar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
            break;
    }
}

std::vector<ToolbarItem*> Toolbar::VisibleItems() const {
    std::vector<ToolbarItem*> shown;
    for (const auto& item : items_) shown.push_back(item.get());
    return shown;
}

std::unique_ptr<ToolbarItem> Toolbar::MakeItem(const std::string& identifier, bool willBeInserted) {
    if (IsStandardIdentifier(identifier)) {
        auto item = std::make_unique<ToolbarItem>(identifier);
        item->SetPaletteLabel(identifier == kToolbarSpaceItemIdentifier ? "スペース"
                                                                        : "フレキシブルスペース");
        return item;
    }
    if (!delegate_.ItemForItemIdentifier) return nullptr;
    return delegate_.ItemForItemIdentifier(*this, identifier, willBeInserted);
}

void Toolbar::LoadDefaultItems() {
    if (!delegate_.DefaultItemIdentifiers) return;
    for (const std::string& identifier : delegate_.DefaultItemIdentifiers(*this))
        InsertItemWithItemIdentifier(identifier, static_cast<int>(items_.size()));
}

ToolbarItem* Toolbar::InsertItemWithItemIdentifier(const std::string& identifier, int index) {
    std::unique_ptr<ToolbarItem> item = MakeItem(identifier, true);
    if (!item) return nullptr;
    if (auto* control = dynamic_cast<ToolbarSegmentedControl*>(item->View())) {
        auto remembered = rememberedStates_.find(control->TagForSegment(0));
        if (remembered != rememberedStates_.end()) item->SetEnabled(remembered->second);
    }
    index = std::clamp(index, 0, static_cast<int>(items_.size()));
    ToolbarItem* raw = item.get();
    items_.insert(items_.begin() + index, std::move(item));
    ShowOnBar(index);
    return raw;
}

void Toolbar::RemoveItemAtIndex(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) return;
    std::unique_ptr<ToolbarItem> item = std::move(items_[index]);
    items_.erase(items_.begin() + index);
    if (bar_) bar_->removeAction(item->PlatformAction());
    DisposeLater(std::move(item));
}

void Toolbar::MoveItem(int from, int to) {
    const int count = static_cast<int>(items_.size());
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
    std::unique_ptr<ToolbarItem> item = std::move(items_[from]);
    items_.erase(items_.begin() + from);
    if (bar_) bar_->removeAction(item->PlatformAction());
    items_.insert(items_.begin() + to, std::move(item));
    ShowOnBar(to);
}

// Puts the platform action of the item at index into the bar, before the next item's.
void Toolbar::ShowOnBar(int index) {
    if (!bar_) return;
    ToolbarItem* item = items_[index].get();
    QAction* action = item->PlatformAction();
    if (!action->property("fw.toolbar.connected").toBool()) {
        action->setProperty("fw.toolbar.connected", true);
        QObject::connect(action, &QAction::triggered, bar_, [this, item] { Click(item); });
    }
    QAction* before =
        index + 1 < static_cast<int>(items_.size()) ? items_[index + 1]->PlatformAction() : nullptr;
    bar_->insertAction(before, action);
    if (auto* control = dynamic_cast<ToolbarSegmentedControl*>(item->View()))
        if (QWidget* button = bar_->widgetForAction(action))
            button->setMinimumWidth(control->Width());
}

void Toolbar::RememberEnabledState(int32_t tag, bool enabled) {
    rememberedStates_[tag] = enabled;
}

void Toolbar::Click(ToolbarItem* item) {
    ToolbarControl* view = item->View();
    if (view) view->TrackClick();
    item->Refresh();  // the platform button toggled its own check mark
    if (!Action) return;
    const std::function<void(ToolbarControl*)> action = Action;
    RunGuarded([&] { action(view); });
    WakeWaitingThreads();  // as after any handler of an outside event
}

void Toolbar::ShowContextMenu(int x, int y) {
    if (!allowsUserCustomization_ || !bar_) return;
    auto* menu = new QMenu(bar_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* customize = menu->addAction(QStringLiteral("ツールバーをカスタマイズ…"));
    // Once the menu has closed, not from inside its own event.
    QObject::connect(
        customize, &QAction::triggered, bar_, [this] { RunCustomizationDialog(); },
        Qt::QueuedConnection);
    menu->popup(bar_->mapToGlobal(QPoint(x, y)));
}

void Toolbar::RunCustomizationDialog() {
    RunToolbarCustomizationDialog(*this, bar_ ? bar_->window() : nullptr);
}

}  // namespace fw
