#include "ToolbarItem.h"

#include <QAction>
#include <QWidget>
#include <QWidgetAction>

#include "PlatformInternal.h"
#include "Toolbar.h"
#include "ToolbarIcons.h"

namespace fw {

namespace {

// Width of a fixed space on the bar.
constexpr int kSpaceWidth = 24;

QWidget* MakeSpacer(bool flexible) {
    auto* spacer = new QWidget;
    if (flexible) {
        spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    } else {
        spacer->setFixedWidth(kSpaceWidth);
    }
    return spacer;
}

// A button's text shows every character as it is: "&" marks no mnemonic.
QString ButtonText(const std::string& label) {
    return ToQString(label).replace('&', QStringLiteral("&&"));
}

}  // namespace

ToolbarItem::ToolbarItem(std::string identifier) : identifier_(std::move(identifier)) {}

ToolbarItem::~ToolbarItem() {
    delete action_;  // leaves every bar that shows it
}

void ToolbarItem::SetLabel(const std::string& label) {
    label_ = label;
    Refresh();
}

void ToolbarItem::SetPaletteLabel(const std::string& label) {
    paletteLabel_ = label;
}

void ToolbarItem::SetToolTip(const std::string& text) {
    toolTip_ = text;
    Refresh();
}

void ToolbarItem::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Refresh();
}

void ToolbarItem::SetView(std::unique_ptr<ToolbarControl> view) {
    if (view_) view_->item_ = nullptr;
    view_ = std::move(view);
    if (view_) view_->item_ = this;
    Refresh();
}

bool ToolbarItem::IsSpace() const {
    return identifier_ == kToolbarSpaceItemIdentifier ||
           identifier_ == kToolbarFlexibleSpaceItemIdentifier;
}

QAction* ToolbarItem::PlatformAction() {
    if (action_) return action_;
    if (IsSpace()) {
        auto* space = new QWidgetAction(nullptr);
        space->setDefaultWidget(MakeSpacer(identifier_ == kToolbarFlexibleSpaceItemIdentifier));
        action_ = space;
        return action_;
    }
    action_ = new QAction;
    action_->setCheckable(true);  // checked while segment 0 of the view is selected
    Refresh();
    return action_;
}

void ToolbarItem::Refresh() {
    if (!action_ || IsSpace()) return;
    action_->setText(ButtonText(label_));
    action_->setToolTip(ToQString(toolTip_));
    action_->setEnabled(enabled_);
    action_->setIcon(view_ ? ToolbarIcon(view_->ImageName(0)) : QIcon());
    action_->setChecked(view_ && view_->IsSelected(0));
}

}  // namespace fw
