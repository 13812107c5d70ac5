#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "compare/SyncEntry.h"
#include "sync/UploadJournal.h"

// The value of pUpload: the upload step that is waiting for its completion.
enum PendingUpload : int32_t { UploadNone = 0, UploadFile = 1, UploadFolder = 2 };

// A sync run as a state machine: where the run stands, the one step it waits for, and the cursor
// over the current phase's work list. The window tells it what happens (a phase begins, its list
// is confirmed, an entry falls due, a command has gone out, a final reply or a refusal has come,
// a transfer has ended, a data connection has closed, the run ends) and does what it answers: send
// the entry's command, fail the step, ignore the event, or act on the end of the phase.
//
// It moves the window's own flags and cursor, which it is given once: pUpload and pRemove (what
// the pending step waits for), pFin2 (the phase's list has run out) and pSyncListIdx over
// pSyncList. The window builds and sorts the list itself; nothing else of the window is known
// here.
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
    // What the window does about a reply, a refusal or the end of a transfer.
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
    void AwaitConfirmation();
    // The list is confirmed (or needs no confirmation): its phase runs.
    void Proceed();
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
    // The step's command has gone out (or, for an upload, is about to): from the command
    // numbered firstCommand on, for the remote path.
    void Sent(StepKind kind, int64_t firstCommand, const std::string& path);
    // The pending upload is given up and its partial copy deleted: the DELE numbered deleCommand
    // is the last command of the step.
    void PassOver(int64_t deleCommand);
    // A data connection has closed: answers whether a deferred step is due now.
    bool DeferredTurn(bool dataConnectionOpen);

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
        int64_t firstCommand = 0;
        std::string path;
    };

    void Reset(State state);
    void Await(StepKind kind, int64_t firstCommand);
    void Complete() { Await(StepKind::None, 0); }
    bool AwaitsReply() const;
    Call PassedOverReply(int64_t answers);
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
