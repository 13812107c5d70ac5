// What follows each event of a run: the next step, the end of a phase, and the run's three ends
// (done, stopped with the reason, cancelled), each told with one message. A run takes a step only
// while its phase runs, from that phase's confirmed list, and only once the step before it has
// completed. Once it has stopped, what the server still sends for it only goes to the log: the
// run's end has said why.
#include "ftp/FtpErrorCodes.h"
#include "sync/SyncPaths.h"
#include "sync/SyncRun.h"
#include "sync/WorkListOrder.h"

void SyncRun::Add(int32_t index) {
    list_.push_back(index);
}

void SyncRun::SortList(const std::function<std::string(int32_t)>& pathOf) {
    SortWorkList(list_, pathOf,
                 phase_ == Phase::Upload ? WorkListOrder::Ascending : WorkListOrder::Descending);
}

// Answers whether the user confirmed the list; a run ended while the question was open goes on
// with nothing.
bool SyncRun::Confirmed() {
    AwaitConfirmation();
    const bool go = askConfirmation(phase_);
    if (!Confirming()) return false;
    if (go) return true;
    if (phase_ == Phase::Upload && RemovalFollows())
        buildRemovals();
    else
        OnCancel();
    return false;
}

void SyncRun::ListBuilt(bool confirm) {
    if (confirm && !Confirmed()) return;
    if (phase_ == Phase::Upload && list_.empty()) {
        EndUploadPhase("[cmd]");
        return;
    }
    phaseRuns(phase_);
    Proceed();
    Continue();  // the first step, or the end of the phase when nothing could be sent
}

void SyncRun::Continue() {
    if (Uploading()) {
        takeUploadStep();
        if (TakeFinished()) EndUploadPhase("[cmd]");
    } else if (Removing()) {
        takeRemovalStep();
        if (TakeFinished()) Finish(Ending::Done, "同期が終了しました。 [cmd]", "");
    }
}

// The upload list has run out (or had nothing to send): the removal phase follows in the
// upload-and-delete mode.
void SyncRun::EndUploadPhase(const std::string& marker) {
    if (RemovalFollows())
        buildRemovals();
    else
        Finish(Ending::Done, "同期が終了しました。 " + marker, "");
}

void SyncRun::Finish(Ending ending, const std::string& message, const std::string& detail) {
    End(ending);
    tell(message, detail);
}

void SyncRun::Stop(const std::string& reason) {
    Finish(Ending::Stopped, "同期を中断しました。", reason);
}

void SyncRun::OnCancel() {
    Finish(Ending::Stopped, "同期を中止しました。", "");
}

void SyncRun::OnDisconnect() {
    if (Active()) OnCancel();
}

// The server refused the pending step, or its transfer broke off: the log names the step, a
// partial upload goes, and the run stops with the reason.
void SyncRun::StepFailed(const std::string& reason) {
    const std::string step = StepLine();
    if (!step.empty()) log("失敗した処理: " + step);
    deletePartialCopy();
    Stop(reason);
}

// An error that completes no step, once the run has stopped: only logged. Answers whether it was.
bool SyncRun::LoggedAfterStop(const std::string& text) {
    if (!Stopped()) return false;
    log(text);
    return true;
}

void SyncRun::OnReply(int64_t answers, int32_t code, const std::string& line) {
    switch (Reply(answers, code)) {
        case Call::Next:
            Continue();
            break;
        case Call::Fail:
            StepFailed("An error occurred: " + line);
            break;
        default:
            break;
    }
}

void SyncRun::OnRefusal(int64_t answers, int32_t code, const std::vector<SyncEntry>& remoteTree,
                        const std::string& text) {
    const Call call = Refusal(answers, code, remoteTree);
    if (call == Call::Ignore) {
        if (LoggedAfterStop(text)) return;
        alert("An error occurred: " + text);
        log(text);
        OnDataConnectionClosed();  // a refused transfer has closed its data connection
        return;
    }
    log(text);
    switch (call) {
        case Call::FolderThere:
            log("フォルダは既にあります: " + StepPath());
            Continue();
            break;
        case Call::Next:
            Continue();
            break;
        case Call::Fail:
            StepFailed("An error occurred: " + text);
            break;
        case Call::Ignore:
        case Call::Hold:
            break;
    }
}

void SyncRun::OnTransferEnded() {
    if (TransferEnded() != Call::Next) return;
    takeUploadStep();
    if (PhaseFinished()) endPhaseLater();
}

void SyncRun::OnPhaseEndDue() {
    if (Uploading() && TakeFinished()) EndUploadPhase("[dat]");
}

// A file cut short or written to while it was sent (a log being written) is passed over, not the
// run: the log names it, its partial file on the server goes as in a stopped run, and its journal
// entry stays, so that the next comparison ticks it again. The run goes on once the server has
// answered the DELE, the STOR's own final reply having come before it. Answers false when no DELE
// may go: no reply would then move the run on.
bool SyncRun::PassOverChangedUpload() {
    if (!partialCopyDeletable()) return false;  // the run stops at its STOR
    log("送信中に変更されたため飛ばしました: " + LoggableName(uploadName(CurrentEntry())));
    const std::optional<int64_t> dele = deletePartialCopy();
    PassOver(dele);
    return true;
}

void SyncRun::OnTransferFailed(int32_t error, const std::string& text) {
    if (!UploadPending()) {
        if (LoggedAfterStop(text)) return;
        alert(text);
        OnDataConnectionClosed();
        return;
    }
    // That file only: the run goes on.
    if (error == FtpLocalFileChanged && PassOverChangedUpload()) return;
    log(text);
    if (error == FtpUploadCancelled) {
        deletePartialCopy();
        OnCancel();
    } else {
        StepFailed(text);
    }
}

void SyncRun::OnDataConnectionClosed() {
    if (DeferredTurn(dataConnectionOpen())) Continue();
}

void SyncRun::OnConnectionLost(const std::string& reason, bool logged) {
    if (logged && !Stopped()) log(reason);  // a stopped run logs it below
    if (Active())
        Stop(reason);
    else if (!LoggedAfterStop(reason))
        alert(reason);
}
