#include "framework/FolderItem.h"
#include "framework/MessageDialog.h"
#include "mainwindow/Window1.h"
#include "profiles/PassDlg.h"
#include "shell/CommonModule.h"

// Connecting with the edit page's parameters, and disconnecting.

namespace {

// The local folder the edit page shows, resolved now: a missing folder, or a file in its place,
// gives nothing.
std::optional<fw::FolderItem> EditPageLocalFolder(const Window1& w) {
    std::optional<fw::FolderItem> folder = fw::FolderItem::FromAbsolutePath(w.EditField6->Text());
    if (!folder || !folder->Directory()) return std::nullopt;
    return fw::FolderItem(folder->AbsolutePath());
}

}  // namespace

void Window1::makeConnection() {
    if (pComparePass) return;  // the last connection's comparison is still ending (Connect is off)
    std::optional<fw::FolderItem> local = EditPageLocalFolder(*this);
    if (!local) {
        ShowMsgOK("ローカルフォルダが見つかりません。再指定して下さい。", "", this);
        return;
    }
    std::string password;
    if (EditField3->Text().empty()) {
        PassDlg* dialog = PassDlg::Instance();
        dialog->ShowModal();
        if (!dialog->pReturn || dialog->EditField1->Text().empty()) return;
        password = dialog->EditField1->Text();
        dialog->Close();
    }
    if (!EnableConnect()) return;
    pLocalFolder = local;

    // Sync waits for the comparison (SyncRunEnableSync).
    ToolbarItemStatus(TagConnect, false);
    ToolbarItemStatus(TagSync, false);
    ToolbarItemStatus(TagDiscon, true);
    ToolbarItemStatus(TagClear, false);
    ToolbarItemStatus(TagLog, true);
    ListBox1->SetEnabled(false);
    pMode = ConnectOpen;
    BevelButton2->SetEnabled(false);
    BevelButton3->SetEnabled(false);
    gLineEndMode = PopupMenu2->ListIndex();
    dataSocket.lineEndMode = gLineEndMode;

    // Nothing of an earlier connection carries over: its failures are reported again, and no
    // step or comparison of it is taken for this one's.
    closing = false;
    pCompared = false;
    pRun.End(SyncRun::Ending::Done);
    pLoginCwd = 0;
    pRun.NewConnection();
    makeConnection2(password);
    GetCompareList();
}

bool Window1::EnableConnect() {
    if (pMode == ConnectCleared) return true;
    if (ShowMsgDlg(2, "実行", "キャンセル", "",
                   "前回接続時の情報が残っています。クリアして接続しますか？",
                   "この操作は取り消しができません。", this) != MsgDlgAction)
        return false;
    EditField5->SetText("");
    ClearVal();
    pMode = ConnectCleared;
    return true;
}

void Window1::makeConnection2(const std::string& password) {
    path = EditField4->Text();
    commandSocket.userID = EditField2->Text().empty() ? "ftp" : EditField2->Text();
    commandSocket.password = password.empty() ? EditField3->Text() : password;
    commandSocket.Address = EditField1->Text();
    commandSocket.Port = 21;
    commandSocket.dataPort = &dataSocket;
    usePassive = CheckBox2->Value();
    commandSocket.usePASV = usePassive;
    // A transfer of an earlier connection can't go on over this one.
    if (dataSocket.TransferRunning()) dataSocket.AbandonTransfer();
    commandSocket.Connect();
}

// The window as it is without a connection: Connect on, Sync and Disconnect off, Clear on, the
// profile list and its buttons usable again. Clear waits while the comparison still runs (until
// the server has closed the connection, or the pass has ended): it could clear nothing yet.
void Window1::ShowDisconnected() {
    ToolbarItemStatus(TagConnect, !pComparePass);  // on again once the pass has ended
    ToolbarItemStatus(TagSync, false);
    ToolbarItemStatus(TagDiscon, false);
    ToolbarItemStatus(TagClear, !CompareRunning());
    ListBox1->SetEnabled(true);
    if (ListBox1->ListIndex() >= 0) BevelButton2->SetEnabled(true);
    BevelButton3->SetEnabled(true);
}

void Window1::CloseConnection() {
    // Refused outright while data flows: the window stays as it is, and so does the run.
    if (DataConnectionOpen()) {
        fw::MsgBox("データ接続中なので切断できません。");
        return;
    }
    ShowDisconnected();
    ProgressBar1->SetMaximum(1);  // at rest: a listing that was on its way will not come
    pMode = ConnectClosed;
    closing = true;
    commandSocket.sendQUIT();
    pRun.OnDisconnect();
}
