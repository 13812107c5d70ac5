#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sync/UploadJournal.h"

// The value of SyncRun::state: where a sync run stands. A step is taken only while its phase runs.
enum SyncRunState : int32_t {
    RunIdle = 0,        // no run, or the last one is done
    RunBuilding = 1,    // a phase's work list is being built
    RunConfirming = 2,  // the work list waits for the user's confirmation
    RunUploading = 3,
    RunRemoving = 4,
    RunStopped = 5,  // stopped by an error or cancelled; errors that follow are only logged
};

// A sync run's own state beside the window's work list and step flags: where the run stands, its
// mode, the pending step's command and path, and what it keeps for the connection (the folders it
// made) and beyond it (the journal of the uploads under way). The window's SyncRun and
// SyncUpload/SyncRemove methods move it on.
struct SyncRun {
    int32_t state = RunIdle;
    int32_t mode = 0;           // the sync mode, read once when Sync is pressed
    int64_t stepCommand = 0;    // the pending step's first command (FtpCommandSocket numbering)
    std::string stepPath;       // the remote path of the pending MKD or upload
    bool stepDeferred = false;  // a step fell due while a data connection was open
    // A file that changed while it was sent waits for the end of its STOR and the DELE of its
    // partial copy, the last command of the step.
    bool passingOver = false;
    int64_t threadLength = 0;              // pThreadFI's length when it was opened for the upload
    std::vector<std::string> madeFolders;  // remote folders created during this connection
    UploadJournal journal;                 // the uploads that have not got their final reply

    bool Active() const {
        return state == RunBuilding || state == RunConfirming || state == RunUploading ||
               state == RunRemoving;
    }
    // No step is pending any more.
    void ForgetStep() {
        stepDeferred = false;
        passingOver = false;
        stepCommand = 0;
        stepPath.clear();
    }
};
