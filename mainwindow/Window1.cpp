#include "mainwindow/Window1.h"

#include "shell/CommonModule.h"
#include "shell/MenuBar1.h"

Window1* Window1::Instance() {
    if (Window1* open = fw::Window::FindOpen<Window1>()) return open;
    auto* w = new Window1;
    w->Build();
    return w;
}

void Window1::Layout() {
    SetMenuBar(MenuBar1::Instance());
    SetTitle("Quillomar");
    SetWidth(800);
    SetHeight(600);
    SetMinimumSize(800, 600);
    SetMaximumSize(32000, 32000);
    SetClosingQuitsApp(true);
}

void Window1::CreateControls() {}

void Window1::AddMenuHandlers() {}

void Window1::Event_Open() {
    InitApp();
}

void Window1::InitApp() {
    getList = false;
    closing = false;
}

// Closing the window and quitting go the same way; no QUIT is sent on either.
bool Window1::Event_CancelClose(bool /*appQuitting*/) {
    if (!dataConnected) {
        if (!closing) {
            closing = true;
            commandSocket.Close();
        }
        return false;
    }
    if (ShowMsgDlg(2, "切断", "キャンセル", "", "データ転送中ですが終了しますか？",
                   "終了すると、転送中のデータは破壊されます。", this) != MsgDlgAction)
        return true;
    closing = true;
    // The transfer is broken off, not ended: a server must not keep half a file as a whole one.
    dataSocket.AbandonTransfer();
    commandSocket.Close();
    return false;
}

void Window1::Event_Close() {
    dataConnected = false;
}

void Window1::Event_Moved() {
    if (gPref[PrefKeepWindowSize] != 1) return;
    gPref[PrefWindowLeft] = Left();
    gPref[PrefWindowTop] = Top();
}
