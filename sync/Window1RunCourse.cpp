#include "mainwindow/Window1.h"
#include "shell/CommonModule.h"

// The course of a sync run as a whole: whether one is under way, how it moves on once a step has
// completed, and its three ends (done, stopped with the reason, cancelled), each told with one
// message. A run takes a step only while its phase runs, from that phase's confirmed list, and
// only when the step before it has completed.

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

void Window1::SyncRunEnd(SyncRun::Ending ending) {
    pRun.End(ending);
    SyncRunSettle();
}

// What every end of a run leaves, and every start drops: the journal settled, the display at
// rest, and Sync on again when it may run.
void Window1::SyncRunSettle() {
    SyncSettleJournal();  // what the run broke off stays; what it only meant to send goes
    // A display request still waiting in the mailbox belongs to the run that has ended.
    pThreadStep = 0;
    ProgressBar1->SetMaximum(1);
    ProgressBar1->SetValue(0);
    tBytesText->SetText("0");
    bpsText->SetText("0");
    SyncRunEnableSync();
}

void Window1::SyncRunDone(const std::string& marker) {
    SyncRunEnd(SyncRun::Ending::Done);
    ShowMsgOK("同期が終了しました。 " + marker, "", this);
}

void Window1::SyncRunStop(const std::string& reason) {
    SyncRunEnd(SyncRun::Ending::Stopped);
    ShowMsgOK("同期を中断しました。", reason, this);
}

void Window1::SyncRunCancel() {
    SyncRunEnd(SyncRun::Ending::Stopped);
    ShowMsgOK("同期を中止しました。", "", this);
}

// The upload work list has run out (or had nothing to send): the removal phase follows in the
// upload-and-delete mode.
void Window1::SyncUploadPhaseEnd(const std::string& marker) {
    if (pRun.RemovalFollows())
        SyncRemove();
    else
        SyncRunDone(marker);
}

// The first step of a phase, the next one after the pending step of a control command has
// completed, or a deferred step. The one place besides Timer3 that acts on the end of a phase.
void Window1::SyncRunContinue() {
    if (pRun.Uploading()) {
        SyncUpload2();
        if (pRun.TakeFinished()) SyncUploadPhaseEnd("[cmd]");
    } else if (pRun.Removing()) {
        SyncRemove2();
        if (pRun.TakeFinished()) SyncRunDone("[cmd]");
    }
}

// A step that fell due while a data connection was open, once it has closed.
void Window1::SyncRunTakeDeferred() {
    if (pRun.DeferredTurn(DataConnectionOpen())) SyncRunContinue();
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
