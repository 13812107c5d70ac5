#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Toolbar.h"
#include "framework/ToolbarControl.h"
#include "framework/ToolbarItem.h"

namespace fw {
class Window;
}

// The main window's toolbar: makes the bar "MySampleToolbar", attaches it to a window and answers
// for it, as its delegate, with the eight buttons and the default and allowed sets. Every click
// on a button goes to the one shared ActionHandler with the button's control as the sender.
//
// Constructing the class does all of it; the object itself holds nothing and need not be kept:
// the window keeps its bar, and the rest is shared.
class NSToolbar {
public:
    // Where clicks go: the control that was clicked.
    using ActionDelegate = std::function<void(fw::ToolbarControl* sender)>;

    NSToolbar(fw::Window& window, ActionDelegate handler);

    static inline ActionDelegate ActionHandler;
    static inline const std::string ToolbarItemIdentifierPref = "My Pref Toolbar Item";
    static inline const std::string ToolbarItemIdentifierConnect = "My Connect Toolbar Item";
    static inline const std::string ToolbarItemIdentifierSync = "My Sync Toolbar Item";
    static inline const std::string ToolbarItemIdentifierDiscon = "My Discon Toolbar Item";
    static inline const std::string ToolbarItemIdentifierClear = "My Clear Toolbar Item";
    static inline const std::string ToolbarItemIdentifierList = "My List Toolbar Item";
    static inline const std::string ToolbarItemIdentifierSyncList = "My SyncList Toolbar Item";
    static inline const std::string ToolbarItemIdentifierLog = "My Log ToolbarItem";

    // One button: the picture on a one-segment control whose segment 0 carries the tag.
    static std::unique_ptr<fw::ToolbarItem> setToolItemSegment1(
        const std::string& identifier, const std::string& label, const std::string& paletteLabel,
        const std::string& toolTip, const std::string& imageName, int32_t tag);

    // The delegate's answers. The same item is made for the bar and for the palette.
    static std::vector<std::string> toolbarAllowedItemIdentifiers(fw::Toolbar& toolbar);
    static std::vector<std::string> toolbarDefaultItemIdentifiers(fw::Toolbar& toolbar);
    static std::unique_ptr<fw::ToolbarItem> toolbarItemForItemIdentifierWillBeInsertedIntoToolbar(
        fw::Toolbar& toolbar, const std::string& identifier, bool flag);
    // No button is shown as the bar's selected item.
    static std::vector<std::string> toolbarSelectableItemIdentifiers(fw::Toolbar& toolbar);

    static fw::ToolbarDelegate makeDelegate();
    // A click on any button: passes the clicked control on to ActionHandler, once.
    static void actionEvent(fw::ToolbarControl* sender);
    static void makeToolbarInstance(fw::Window& window);
};
