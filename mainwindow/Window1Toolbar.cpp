#include <functional>
#include <string>

#include "framework/MessageDialog.h"
#include "framework/Toolbar.h"
#include "framework/ToolbarControl.h"
#include "framework/ToolbarSegmentedControl.h"
#include "mainwindow/Window1.h"

// The toolbar's buttons as the main window knows them: by their tags. A button's state is read
// from and written to the bar attached to the main window; a click runs the button's command.

namespace {

// A toolbar command is running: it may run a modal dialog or give way, and a click meanwhile
// must not start a second one.
bool gToolbarCommandRunning = false;

class CommandRunning {
public:
    CommandRunning() { gToolbarCommandRunning = true; }
    ~CommandRunning() { gToolbarCommandRunning = false; }
    CommandRunning(const CommandRunning&) = delete;
    CommandRunning& operator=(const CommandRunning&) = delete;
};

std::function<void()> ToolbarCommand(Window1& w, int32_t tag) {
    switch (tag) {
        case TagConnect:
            return [&w] { w.makeConnection(); };
        case TagSync:
            return [&w] { w.SyncUpload(); };
        case TagDiscon:
            return [&w] { w.CloseConnection(); };
        case TagClear:
            return [&w] {
                w.ToolbarItemStatus(TagClear, false);
                w.ClearLog();
            };
        case TagList:
            return [&w] { w.ShowMapDlg(); };
        case TagPref:
            return [&w] { w.ShowPrefDlg(); };
        case TagLog:
            return [&w] { w.SaveLog(); };
        case TagSyncList:
            return [&w] { w.SaveSyncList(); };
        default:
            return {};
    }
}

}  // namespace

// The first button on the main window's bar, from the left, whose segment-0 tag is tag.
fw::ToolbarItem* Window1::ToolbarItemGetButton(int32_t tag) {
    fw::Toolbar* bar = fw::Toolbar::Of(*Window1::Instance());
    if (!bar) return nullptr;
    for (fw::ToolbarItem* item : bar->VisibleItems()) {
        auto* control = dynamic_cast<fw::ToolbarSegmentedControl*>(item->View());
        if (control && control->TagForSegment(0) == tag) return item;
    }
    return nullptr;
}

void Window1::ToolbarItemStatus(int32_t tag, bool enabled) {
    fw::Toolbar* bar = fw::Toolbar::Of(*Window1::Instance());
    if (!bar) return;
    // Also for a button the user has taken off the bar: it comes back in this state.
    bar->RememberEnabledState(tag, enabled);
    if (fw::ToolbarItem* button = ToolbarItemGetButton(tag)) button->SetEnabled(enabled);
}

void Window1::ToolbarItemClicked(fw::ToolbarControl* sender) {
    if (gToolbarCommandRunning) {
        if (sender) sender->SetSelected(false, 0);  // dropped: the button shows no click
        return;
    }
    CommandRunning running;
    const std::string description = sender ? sender->Description() : std::string();
    if (description.find("SegmentedControl") == std::string::npos) {
        fw::MsgBox("No Define :" + description);
        return;
    }
    const int32_t segment = sender->SelectedSegment();
    if (segment < 0) return;  // no segment selected: no tag to act on
    std::function<void()> command = ToolbarCommand(*this, sender->TagForSegment(segment));
    if (!command) return;
    sender->SetSelected(false, 0);
    command();
}
