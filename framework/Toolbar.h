#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ToolbarControl.h"
#include "ToolbarItem.h"

class QToolBar;

namespace fw {

class Toolbar;
class Window;

// The identifiers of the standard items that every toolbar makes itself.
inline constexpr char kToolbarSpaceItemIdentifier[] = "NSToolbarSpaceItem";
inline constexpr char kToolbarFlexibleSpaceItemIdentifier[] = "NSToolbarFlexibleSpaceItem";

// What the toolbar asks of the program: the identifiers of its default set and of every item the
// user may place, and a new item for an identifier (willBeInserted: for the bar itself, not for the
// customisation palette). An item callback that answers null makes no item.
struct ToolbarDelegate {
    std::function<std::vector<std::string>(Toolbar&)> DefaultItemIdentifiers;
    std::function<std::vector<std::string>(Toolbar&)> AllowedItemIdentifiers;
    std::function<std::unique_ptr<ToolbarItem>(Toolbar&, const std::string& identifier,
                                               bool willBeInserted)>
        ItemForItemIdentifier;
};

// A window's toolbar: items in a row, each shown as a picture above its label. The items come from
// the delegate; a click on any of them goes to the toolbar's one Action with the item's view as
// the sender. The user may customise the bar from its context menu (add, remove, move items); the
// changes last as long as the bar, and a new bar starts with the default set.
class Toolbar {
public:
    enum class DisplayMode { IconAndLabel, IconOnly, LabelOnly };

    explicit Toolbar(std::string identifier);
    Toolbar(const Toolbar&) = delete;
    Toolbar& operator=(const Toolbar&) = delete;
    ~Toolbar();

    // Attaches the toolbar to a document window, which keeps it from then on (an earlier toolbar
    // of the window goes), and fills it with the delegate's default set. The window's content area
    // keeps its size: the window grows by the bar's height.
    static Toolbar& Attach(Window& window, std::unique_ptr<Toolbar> toolbar);
    // The toolbar attached to the window, or null.
    static Toolbar* Of(const Window& window);

    const std::string& Identifier() const { return identifier_; }
    bool AllowsUserCustomization() const { return allowsUserCustomization_; }
    void SetAllowsUserCustomization(bool allows);
    DisplayMode GetDisplayMode() const { return displayMode_; }
    void SetDisplayMode(DisplayMode mode);
    const ToolbarDelegate& Delegate() const { return delegate_; }
    void SetDelegate(ToolbarDelegate delegate) { delegate_ = std::move(delegate); }

    // The items on the bar, from left to right.
    std::vector<ToolbarItem*> VisibleItems() const;

    // A new item for an identifier: the toolbar's own for a standard identifier, else the
    // delegate's; null when there is none.
    std::unique_ptr<ToolbarItem> MakeItem(const std::string& identifier, bool willBeInserted);
    // Puts a new item for the identifier at index (clamped to the bar); answers it, or null when
    // no item is made for the identifier.
    ToolbarItem* InsertItemWithItemIdentifier(const std::string& identifier, int index);
    void RemoveItemAtIndex(int index);
    // Moves the item at from to the place to (both indexes of the bar as it is).
    void MoveItem(int from, int to);

    // The enabled state last asked for the buttons with this segment-0 tag. A button put on the
    // bar later starts in it, so that a button the user adds back agrees with the others.
    void RememberEnabledState(int32_t tag, bool enabled);

    // The customisation dialog, as the bar's context menu opens it.
    void RunCustomizationDialog();

    // Every click on an item: the item's view as the sender (null for an item without a view).
    // It is called at once, also while an earlier click's handler has not returned (that handler
    // may give way or run a modal dialog): the handler decides what a second click does.
    std::function<void(ToolbarControl* sender)> Action;

    // The platform bar, once attached; for the layer and for tests.
    QToolBar* Widget() const { return bar_; }

private:
    class Bar;
    void LoadDefaultItems();
    void ShowOnBar(int index);
    void Click(ToolbarItem* item);
    void ApplyDisplayMode();
    void ShowContextMenu(int x, int y);

    std::string identifier_;
    bool allowsUserCustomization_ = false;
    DisplayMode displayMode_ = DisplayMode::IconAndLabel;
    ToolbarDelegate delegate_;
    std::vector<std::unique_ptr<ToolbarItem>> items_;
    std::map<int32_t, bool> rememberedStates_;
    QToolBar* bar_ = nullptr;  // owns this toolbar once attached
    Window* window_ = nullptr;
};

}  // namespace fw
