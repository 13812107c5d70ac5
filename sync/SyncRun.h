#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "compare/SyncEntry.h"
#include "sync/UploadJournal.h"

// The value of pUpload: the upload step that is waiting for its completion.
enum PendingUpload : int32_t { UploadNone = 0, UploadFile = 1, UploadFolder = 2 };

// A sync run as a state machine: where the run stands, the one step it waits for, and the cursor
// over the current phase's work list. The window tells it what happens (a phase's list is built,
// an entry falls due, a command has gone out, a final reply, a refusal, the end or the failure of
// a transfer, a cancel, a lost connection) and the run decides what follows, once, here: the next
// step, the move to the removals, the phase's end, the stop with its reason, the cancel, the
// deletion of a passed-over file's partial copy, and that an error after a stopped run is only
// logged. What it decides the window does through the effects it binds (send the next step, show
// a message, log a line).
//
// It moves the window's own flags and cursor, which it is given once: pUpload and pRemove (what
// the pending step waits for), pFin2 (the phase's list has run out) and pSyncListIdx over
// pSyncList, which the window builds through Add and SortList. Nothing else of the window is
// known here.
class SyncRun {
public:
    enum class Phase { Upload, Removal };
    // What the pending step waits for.
    enum class StepKind {
        None,
        Folder,        // an MKD: its final reply
        File,          // an upload: the end of its transfer
        RemoveFile,    // a DELE: its final reply
        RemoveFolder,  // an RMD: its final reply
        PassOver,      // a file passed over: the final reply to the DELE of its partial copy
    };
    // What a reply, a refusal or the end of a transfer does to the pending step.
    enum class Call {
        Ignore,       // not the run's: handled as it would be without a run
        Hold,         // taken by the run; nothing follows yet
        Next,         // the pending step has completed: the next one is due
        FolderThere,  // the refused MKD's folder is there already: the step has completed
        Fail,         // the pending step has failed: the run stops
    };
    enum class Ending { Done, Stopped };

    SyncRun(int32_t& upload, bool& remove, bool& finished, std::vector<int32_t>& list,
            int32_t& cursor);
    SyncRun(const SyncRun&) = delete;
    SyncRun& operator=(const SyncRun&) = delete;

    // --- What the window does for the run, bound once.
    std::function<void()> takeUploadStep;   // the next upload step (SyncUpload2)
    std::function<void()> takeRemovalStep;  // the next removal step (SyncRemove2)
    std::function<void()> buildRemovals;    // the removal phase: its list built (SyncRemove)
    // The phase's list is shown for confirmation: answers whether the user goes on.
    std::function<bool(Phase)> askConfirmation;
    std::function<void(Phase)> phaseRuns;  // the phase's work begins: the sync list names it
    std::function<void()> endPhaseLater;   // the upload phase's end after a transfer (Timer3)
    std::function<void()> settle;          // a run starts or ends: journal, display, Sync
    std::function<void(const std::string&, const std::string&)> tell;  // the run's end message
    std::function<void(const std::string&)> log;
    std::function<void(const std::string&)> alert;  // an error of no run, shown
    std::function<bool()> dataConnectionOpen;
    // The pending upload's partial copy on the server: whether a DELE of it may go, and that DELE
    // (its number, none when it could not be written).
    std::function<bool()> partialCopyDeletable;
    std::function<std::optional<int64_t>()> deletePartialCopy;
    std::function<std::string(int32_t)> uploadName;  // an upload entry's name below the root

    // --- Where the run stands
    bool Active() const;  // a phase's list is being built, confirmed or worked through
    bool Building() const { return state_ == State::Building; }
    bool Confirming() const { return state_ == State::Confirming; }
    bool Uploading() const { return state_ == State::Uploading; }
    bool Removing() const { return state_ == State::Removing; }
    // Stopped by an error or cancelled: what the server still sends for it is only logged.
    bool Stopped() const { return state_ == State::Stopped; }
    // The upload-and-delete mode, as it was when Sync was pressed: it holds for the whole run.
    bool RemovalFollows() const { return mode_ != 0; }
    // The pending step is an upload, waiting for the end of its transfer.
    bool UploadPending() const;
    // The phase's list has run out (pFin2); the caller of the step acts on it.
    bool PhaseFinished() const { return finished_; }

    // --- The course of the run
    // Sync pressed: whatever an earlier run left pending is dropped, and the upload list is built
    // from the start, in the sync mode shown now.
    void Begin(int32_t mode);
    // The removal phase's list is built from the start.
    void BeginRemovals();
    // The list being built takes the entry.
    void Add(int32_t index);
    // The list in the order of its phase, by the entries' paths: ascending for the uploads (a
    // folder's MKD before what goes into it), descending for the removals (a folder's content
    // before the folder).
    void SortList(const std::function<std::string(int32_t)>& pathOf);
    // The list is built: confirmed when confirm asks for it, then its phase runs. A declined
    // upload list still leads to the removals in the upload-and-delete mode; any other declined
    // list cancels the run. An upload list with nothing on it ends the phase at once.
    void ListBuilt(bool confirm);
    void AwaitConfirmation();
    // The list is confirmed (or needs no confirmation): its phase runs.
    void Proceed();
    // The run ends without a message (a new connection, the log cleared).
    void End(Ending ending);
    // Answers whether the phase's list had run out, and clears that (pFin2).
    bool TakeFinished();
    // No step is pending any more (the window's lists were cleared).
    void DropStep();

    // --- Steps
    // The entry of the running phase whose step is due now, the cursor moved past it (an entry
    // whose step fails is not tried again), or none: it is not that phase's turn; a data
    // connection is open, and the step is deferred until it has closed; or the list has run out
    // (PhaseFinished).
    std::optional<int32_t> NextEntry(Phase phase, bool dataConnectionOpen);
    // The entry whose step was taken last, and the entries after it on the list.
    int32_t CurrentEntry() const;
    std::span<const int32_t> Ahead() const;
    // The step's command has gone out, for the remote path: from the command numbered
    // firstCommand on, as the connection answered it, or none when the connection could write no
    // command (the step then waits for the error that says why, never for a reply).
    void Sent(StepKind kind, std::optional<int64_t> firstCommand, const std::string& path);
    // The pending upload is given up and its partial copy deleted: the DELE numbered deleCommand
    // is the last command of the step (none: no DELE could be written).
    void PassOver(std::optional<int64_t> deleCommand);
    // A data connection has closed: answers whether a deferred step is due now.
    bool DeferredTurn(bool dataConnectionOpen);

    // --- Events, and what follows them
    // The first step of a phase, or the next one after the pending step has completed; when the
    // list has run out, the phase's end ("[cmd]": on a control reply).
    void Continue();
    // The final reply to a command (answers: its number, 0 when the line ends no final reply).
    void OnReply(int64_t answers, int32_t code, const std::string& line);
    // An error reply, its text without line ends. Also the window's answer when no run claims it:
    // shown and logged, or only logged once the run has stopped.
    void OnRefusal(int64_t answers, int32_t code, const std::vector<SyncEntry>& remoteTree,
                   const std::string& text);
    // An upload's transfer has ended and the server confirmed it: the next step; when the list
    // has run out, the phase's end is left to Timer3 ("[dat]": on a data transfer).
    void OnTransferEnded();
    // Timer3's turn for the end of the upload phase.
    void OnPhaseEndDue();
    // The data connection failed (error: its code; text: the log's line for it). The pending
    // upload's file is passed over when it changed while it was sent and its partial copy can
    // go; cancelled with the cancel key, the run is cancelled; otherwise it fails. Without an
    // upload pending the error is the window's, or only logged after a stopped run.
    void OnTransferFailed(int32_t error, const std::string& text);
    // A data connection has closed: a step deferred meanwhile is taken now.
    void OnDataConnectionClosed();
    // The user cancels the run (declined a question).
    void OnCancel();
    // The user disconnects: a run under way is cancelled, and a reply still due takes no step.
    void OnDisconnect();
    // The control connection is lost: the run stops with the reason; after a stopped run the
    // reason is only logged; with no run it is shown. logged: the reason goes to the log as well.
    void OnConnectionLost(const std::string& reason, bool logged = false);

    // --- Whether an event completes the pending step
    // A final reply below 400: the number of the command it answers (0: none) and its code.
    Call Reply(int64_t answers, int32_t code);
    // A refusal (400 or more). remoteTree: the compared remote tree, which names the folders the
    // server is known to have.
    Call Refusal(int64_t answers, int32_t code, const std::vector<SyncEntry>& remoteTree);
    // The end of an upload's transfer, confirmed by the server.
    Call TransferEnded();

    // --- What the log names
    // The pending step's command and path ("MKD /www/a"), empty when none is pending.
    std::string StepLine() const;
    // The remote path of the step sent last.
    const std::string& StepPath() const { return step_.path; }

    // --- Beyond one run
    // A new connection: the folders made over the last one are not known to be there.
    void NewConnection() { madeFolders_.clear(); }
    // The uploads that have not got their final reply.
    UploadJournal& Journal() { return journal_; }

private:
    enum class State {
        Idle,        // no run, or the last one is done
        Building,    // a phase's work list is being built
        Confirming,  // the work list waits for the user's confirmation
        Uploading,
        Removing,
        Stopped,  // stopped by an error or cancelled
    };
    // The pending step: what it waits for, the first command of it, its remote path.
    struct Step {
        StepKind kind = StepKind::None;
        std::optional<int64_t> firstCommand;  // none: no command of it was written
        std::string path;
    };

    void Reset(State state);
    void Await(StepKind kind, std::optional<int64_t> firstCommand);
    void Complete() { Await(StepKind::None, std::nullopt); }
    // The reply answers a command of the pending step, or one written after it.
    bool AnswersStepOrLater(int64_t answers) const;
    bool AwaitsReply() const;
    Call PassedOverReply(int64_t answers);
    bool Confirmed();
    void EndUploadPhase(const std::string& marker);
    void Finish(Ending ending, const std::string& message, const std::string& detail);
    void Stop(const std::string& reason);
    void StepFailed(const std::string& reason);
    bool PassOverChangedUpload();
    bool LoggedAfterStop(const std::string& text);
    bool FolderThere(int32_t code, const std::vector<SyncEntry>& remoteTree) const;

    State state_ = State::Idle;
    Phase phase_ = Phase::Upload;
    int32_t mode_ = 0;
    Step step_;
    bool deferred_ = false;                 // a step fell due while a data connection was open
    std::vector<std::string> madeFolders_;  // remote folders created during this connection
    UploadJournal journal_;

    // The window's own members.
    int32_t& upload_;             // pUpload
    bool& remove_;                // pRemove
    bool& finished_;              // pFin2
    std::vector<int32_t>& list_;  // pSyncList
    int32_t& cursor_;             // pSyncListIdx
};
