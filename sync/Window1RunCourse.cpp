#include "framework/MessageDialog.h"
#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"

// The window's side of a sync run: whether one is under way, what its start and end leave in the
// window, and the effects through which the run's decisions are carried out (sync/SyncRun*).

bool Window1::SyncRunActive() const {
    return pRun.Active();
}

// A data connection is open, or being set up, for a listing or a transfer.
bool Window1::DataConnectionOpen() const {
    return dataSocket.TransferRunning() || dataSocket.IsConnected();
}

// No command awaits its reply and no data connection is open.
bool Window1::ConnectionsQuiet() const {
    return commandSocket.AwaitsNoReply() && !DataConnectionOpen();
}

void Window1::SyncRunEnableSync() {
    const bool ready =
        pMode == ConnectOpen && pCompared && !SyncRunActive() && commandSocket.IsConnected();
    if (ready) ToolbarItemStatus(TagSync, true);
}

// What every end of a run leaves, and every start drops: the journal settled, the display at
// rest, and Sync on again when it may run.
void Window1::SyncRunSettle() {
    SyncSettleJournal();  // what the run broke off stays; what it only meant to send goes
    SyncDisplayAtRest();
    SyncRunEnableSync();
}

// The run decides what follows each event; the window does what it asks for.
void Window1::SyncRunBind() {
    pRun.takeUploadStep = [this] { SyncUpload2(); };
    pRun.takeRemovalStep = [this] { SyncRemove2(); };
    pRun.buildRemovals = [this] { SyncRemove(); };
    pRun.askConfirmation = [this](SyncRun::Phase phase) {
        return ShowSyncDlg(phase == SyncRun::Phase::Upload ? "upload" : "remove");
    };
    pRun.phaseRuns = [this](SyncRun::Phase phase) {
        ToolbarItemStatus(TagSyncList, true);
        SetSyncResult(phase == SyncRun::Phase::Upload ? "アップロード対象" : "削除対象");
    };
    pRun.endPhaseLater = [this] { SyncEndPhaseLater(); };
    pRun.settle = [this] { SyncRunSettle(); };
    pRun.tell = [this](const std::string& message, const std::string& detail) {
        ShowMsgOK(message, detail, this);
    };
    pRun.log = [this](const std::string& text) { updateStatus(text); };
    pRun.alert = [](const std::string& text) { fw::MsgBox(text); };
    pRun.dataConnectionOpen = [this] { return DataConnectionOpen(); };
    pRun.partialCopyDeletable = [this] { return SyncPartialUploadDeletable(); };
    pRun.deletePartialCopy = [this] { return SyncDeletePartialUpload(); };
    pRun.uploadName = [this](int32_t index) { return SyncUpload2Path(index, "underRoot"); };
}

// The comparison of this connection has ended, whole: from now on Sync may run.
void Window1::SyncCheckCompared() {
    // After a disconnect, Clear comes on once no comparison is running any more.
    if (pMode == ConnectClosed && !CompareRunning() && !commandSocket.IsConnected())
        ToolbarItemStatus(TagClear, true);
    if (pCompared || !pFin || CompareRunning() || pCompareCancelled || pMode != ConnectOpen) return;
    pCompared = true;
    SyncRunEnableSync();
}
