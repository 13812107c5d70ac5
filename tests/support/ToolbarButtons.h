#pragma once

// A window's toolbar buttons as the tests find them: by their tag, among the items the bar shows.

#include <cstdint>

#include "framework/Toolbar.h"
#include "framework/ToolbarItem.h"
#include "framework/ToolbarSegmentedControl.h"
#include "framework/Window.h"

namespace testsupport {

// The tag of a toolbar button (its first segment's); 0 for an item that is no button.
inline int32_t ToolbarTag(fw::ToolbarItem* item) {
    auto* control = dynamic_cast<fw::ToolbarSegmentedControl*>(item->View());
    return control ? control->TagForSegment(0) : 0;
}

// The button with this tag that the window's toolbar shows, or nullptr (no toolbar, or the user
// took the button off).
inline fw::ToolbarItem* ToolbarButton(const fw::Window& window, int32_t tag) {
    fw::Toolbar* bar = fw::Toolbar::Of(window);
    if (!bar) return nullptr;
    for (fw::ToolbarItem* item : bar->VisibleItems())
        if (ToolbarTag(item) == tag) return item;
    return nullptr;
}

}  // namespace testsupport
