#include <string>

#include "framework/MenuBar.h"
#include "mainwindow/NSToolbar.h"
#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"

// The main window's own events: its start-up step, closing and quitting, resizing and moving,
// and the three menu commands it serves.

void Window1::Event_Open() {
    InitApp();
}

void Window1::InitApp() {
    getList = false;
    closing = false;
    // The window keeps its bar; the object that made it is not kept.
    NSToolbar(*this, [this](fw::ToolbarControl* sender) { ToolbarItemClicked(sender); });
    for (int32_t tag : {TagConnect, TagSync, TagDiscon, TagClear, TagLog, TagSyncList})
        ToolbarItemStatus(tag, false);
    // The profile's name takes the whole width; the hidden second column holds its index.
    ListBox1->SetColumnWidths("100%,0");
    InitSetlist();
}

namespace {

// Work handed over to later (a list's check box, the selections, the next step of a sync run)
// must not start on a window that is going: a step could ask a question or touch the toolbar
// during the quit.
void StopDeferredWork(Window1& w) {
    for (fw::Timer* timer : {&w.Timer1, &w.Timer2, &w.Timer3}) timer->SetMode(fw::Timer::kModeOff);
}

// Lets both connections go, the data connection first: a transfer is broken off (see
// SyncLetUploadGo), and a command that leaves goes before the control connection closes; no QUIT
// is sent.
void LetConnectionsGo(Window1& w) {
    w.SyncLetUploadGo();
    w.commandSocket.Close();
}

}  // namespace

// Closing the window and quitting go the same way.
bool Window1::Event_CancelClose(bool /*appQuitting*/) {
    if (!dataConnected) {
        if (!closing) {
            closing = true;
            commandSocket.Close();
        }
        StopDeferredWork(*this);
        return false;
    }
    if (ShowMsgDlg(2, "切断", "キャンセル", "", "データ転送中ですが終了しますか？",
                   "終了すると、転送中のデータは破壊されます。", this) != MsgDlgAction)
        return true;
    closing = true;
    LetConnectionsGo(*this);
    StopDeferredWork(*this);
    return false;
}

void Window1::Event_Close() {
    dataConnected = false;
    ProgressBar1->SetMaximum(1);  // out of its busy state
    // Nothing reaches the window any more: not its timers, not its connections.
    StopDeferredWork(*this);
    statusTimer.SetMode(fw::Timer::kModeOff);
    LetConnectionsGo(*this);
}

namespace {

// The two comparison lists share the width right of the profile list, each caption centred below
// its list.
void LayOutLists(Window1& w) {
    const double spare = w.Width() - w.ListBox1->Width();
    w.localListBox->SetWidth(static_cast<int32_t>(spare / 2));
    w.remoteListBox->SetWidth(w.localListBox->Width());
    w.remoteListBox->SetLeft(w.ListBox1->Width() + w.localListBox->Width());
    w.StaticText27->SetLeft(
        w.localListBox->Left() +
        static_cast<int32_t>((w.localListBox->Width() - w.StaticText27->Width()) / 2.0));
    w.StaticText28->SetLeft(
        w.remoteListBox->Left() +
        static_cast<int32_t>((w.remoteListBox->Width() - w.StaticText28->Width()) / 2.0));
}

}  // namespace

void Window1::Event_Resizing() {
    LayOutLists(*this);
}

void Window1::Event_Resized() {
    LayOutLists(*this);
}

void Window1::Event_Moved() {
    if (gPref[PrefKeepWindowSize] != 1) return;
    gPref[PrefWindowLeft] = Left();
    gPref[PrefWindowTop] = Top();
}

void Window1::Event_EnableMenuItems() {
    fw::MenuBar* bar = GetMenuBar();
    if (!bar) return;
    for (const char* name : {"FileSaveLog", "EditPreferences"})
        if (fw::MenuItem* item = bar->Find(name)) item->Enabled = true;
}

void Window1::AddMenuHandlers() {
    AddMenuHandler("FileSaveLog", [this] { return _FileSaveLog_Action(); });
    AddMenuHandler("EditPreferences", [this] { return _EditPreferences_Action(); });
    AddMenuHandler("FileSaveSyncList", [this] { return _FileSaveSyncList_Action(); });
}

bool Window1::_FileSaveLog_Action() {
    SaveLog();
    return true;
}

bool Window1::_EditPreferences_Action() {
    ShowPrefDlg();
    return true;
}

bool Window1::_FileSaveSyncList_Action() {
    SaveSyncList();
    return true;
}
