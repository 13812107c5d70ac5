#include "mainwindow/NSToolbar.h"

#include <array>

#include "framework/ToolbarSegmentedControl.h"
#include "framework/Window.h"
#include "mainwindow/Window1.h"

namespace {

struct ButtonRow {
    const std::string& identifier;
    const char* label;  // also the palette label
    const char* toolTip;
    const char* imageName;
    int32_t tag;
};

// The eight buttons, in the order the item callback compares their identifiers.
const std::array<ButtonRow, 8>& Buttons() {
    static const std::array<ButtonRow, 8> buttons{{
        {NSToolbar::ToolbarItemIdentifierConnect, "接続", "サーバーに接続します", "NSPlayTemplate",
         TagConnect},
        {NSToolbar::ToolbarItemIdentifierSync, "同期", "リモートとローカルを同期します",
         "NSSynchronize", TagSync},
        {NSToolbar::ToolbarItemIdentifierDiscon, "切断", "サーバーから切断します",
         "NSNavEjectButton.normal", TagDiscon},
        {NSToolbar::ToolbarItemIdentifierClear, "クリア", "接続情報を全てクリアしてリセットします",
         "NSStopProgressFreestandingTemplate", TagClear},
        {NSToolbar::ToolbarItemIdentifierList, "タイプリスト", "タイプリストを編集します",
         "NSPrivateChaptersTemplate", TagList},
        {NSToolbar::ToolbarItemIdentifierPref, "環境設定", "環境設定ダイアログを表示します",
         "NSSmartBadgeTemplate", TagPref},
        {NSToolbar::ToolbarItemIdentifierLog, "ログを保存", "ログをテキストファイルに書き出します",
         "NSShareTemplate", TagLog},
        {NSToolbar::ToolbarItemIdentifierSyncList, "同期リストを保存",
         "同期リストをテキストファイルに書き出します", "NSShareTemplate", TagSyncList},
    }};
    return buttons;
}

}  // namespace

// The bar is attached before the handler is set; no click can come in between.
NSToolbar::NSToolbar(fw::Window& window, ActionDelegate handler) {
    makeToolbarInstance(window);
    ActionHandler = std::move(handler);
}

void NSToolbar::makeToolbarInstance(fw::Window& window) {
    auto toolbar = std::make_unique<fw::Toolbar>("MySampleToolbar");
    toolbar->SetAllowsUserCustomization(true);
    // Nothing of the user's customisation is saved: every start shows the default set.
    toolbar->SetDisplayMode(fw::Toolbar::DisplayMode::IconAndLabel);
    toolbar->SetDelegate(makeDelegate());
    toolbar->Action = &NSToolbar::actionEvent;
    fw::Toolbar::Attach(window, std::move(toolbar));
}

fw::ToolbarDelegate NSToolbar::makeDelegate() {
    fw::ToolbarDelegate delegate;
    delegate.ItemForItemIdentifier = &toolbarItemForItemIdentifierWillBeInsertedIntoToolbar;
    delegate.AllowedItemIdentifiers = &toolbarAllowedItemIdentifiers;
    delegate.DefaultItemIdentifiers = &toolbarDefaultItemIdentifiers;
    return delegate;
}

void NSToolbar::actionEvent(fw::ToolbarControl* sender) {
    if (ActionHandler) ActionHandler(sender);
}

std::unique_ptr<fw::ToolbarItem> NSToolbar::toolbarItemForItemIdentifierWillBeInsertedIntoToolbar(
    fw::Toolbar& /*toolbar*/, const std::string& identifier, bool /*flag*/) {
    for (const ButtonRow& b : Buttons())
        if (identifier == b.identifier)
            return setToolItemSegment1(identifier, b.label, b.label, b.toolTip, b.imageName, b.tag);
    return nullptr;
}

std::unique_ptr<fw::ToolbarItem> NSToolbar::setToolItemSegment1(
    const std::string& identifier, const std::string& label, const std::string& paletteLabel,
    const std::string& toolTip, const std::string& imageName, int32_t tag) {
    auto control = std::make_unique<fw::ToolbarSegmentedControl>(38, 24);
    control->SetImage(imageName, 0);
    control->SetSelected(false, 0);
    control->SetTag(tag, 0);
    auto item = std::make_unique<fw::ToolbarItem>(identifier);
    item->SetLabel(label);
    item->SetPaletteLabel(paletteLabel);
    item->SetToolTip(toolTip);
    item->SetView(std::move(control));
    return item;
}

std::vector<std::string> NSToolbar::toolbarDefaultItemIdentifiers(fw::Toolbar& /*toolbar*/) {
    return {ToolbarItemIdentifierConnect,    ToolbarItemIdentifierSync,
            ToolbarItemIdentifierDiscon,     ToolbarItemIdentifierClear,
            fw::kToolbarSpaceItemIdentifier, ToolbarItemIdentifierLog,
            ToolbarItemIdentifierSyncList,   fw::kToolbarSpaceItemIdentifier,
            ToolbarItemIdentifierList,       fw::kToolbarFlexibleSpaceItemIdentifier,
            ToolbarItemIdentifierPref};
}

std::vector<std::string> NSToolbar::toolbarAllowedItemIdentifiers(fw::Toolbar& /*toolbar*/) {
    return {ToolbarItemIdentifierConnect,    ToolbarItemIdentifierSync,
            ToolbarItemIdentifierDiscon,     ToolbarItemIdentifierClear,
            ToolbarItemIdentifierLog,        ToolbarItemIdentifierSyncList,
            ToolbarItemIdentifierList,       ToolbarItemIdentifierPref,
            fw::kToolbarSpaceItemIdentifier, fw::kToolbarFlexibleSpaceItemIdentifier};
}

std::vector<std::string> NSToolbar::toolbarSelectableItemIdentifiers(fw::Toolbar& /*toolbar*/) {
    return {};
}
