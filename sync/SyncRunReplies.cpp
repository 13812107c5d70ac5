// Whether an event completes the pending step of a run. The server answers commands in the order
// they were written, so a step completes on the final reply to its own command, never on one to
// an earlier command; an upload completes on the end of its transfer. A refusal of the step's
// command, or of a later one of the step, fails it, but for an MKD whose folder is there already.
#include <algorithm>

#include "sync/SyncPaths.h"
#include "sync/SyncRun.h"

// The MKD, DELE or RMD of the running phase waits for its final reply.
bool SyncRun::AwaitsReply() const {
    return (state_ == State::Uploading && step_.kind == StepKind::Folder) ||
           (state_ == State::Removing &&
            (step_.kind == StepKind::RemoveFile || step_.kind == StepKind::RemoveFolder));
}

bool SyncRun::AnswersStepOrLater(int64_t answers) const {
    return step_.firstCommand && answers >= *step_.firstCommand;
}

// A file passed over takes every reply, whatever its code (a refused DELE leaves the file to the
// journal), and goes on once the DELE has its answer, the STOR's own reply having come before it;
// with no DELE written, on the STOR's own reply.
SyncRun::Call SyncRun::PassedOverReply(int64_t answers) {
    if (step_.firstCommand && answers < *step_.firstCommand) return Call::Hold;
    Complete();
    return Call::Next;
}

SyncRun::Call SyncRun::Reply(int64_t answers, int32_t code) {
    if (answers == 0) return Call::Ignore;  // not the end of a final reply
    if (state_ == State::Uploading && step_.kind == StepKind::PassOver)
        return PassedOverReply(answers);
    if (!AwaitsReply() || answers != step_.firstCommand) return Call::Ignore;
    if (code / 100 != 2) return Call::Fail;
    if (step_.kind == StepKind::Folder) madeFolders_.push_back(step_.path);
    Complete();
    return Call::Next;
}

// MKD refused because the folder is already there (521, or 550 for a folder the server is known
// to have: listed by the comparison or made earlier on this connection).
bool SyncRun::FolderThere(int32_t code, const std::vector<SyncEntry>& remoteTree) const {
    if (code == 521) return true;
    if (code != 550) return false;
    if (std::find(madeFolders_.begin(), madeFolders_.end(), step_.path) != madeFolders_.end())
        return true;
    return std::any_of(remoteTree.begin(), remoteTree.end(), [&](const SyncEntry& entry) {
        return entry.kind == "d" && entry.path == step_.path;
    });
}

SyncRun::Call SyncRun::Refusal(int64_t answers, int32_t code,
                               const std::vector<SyncEntry>& remoteTree) {
    if (state_ == State::Uploading && step_.kind == StepKind::PassOver && answers != 0)
        return PassedOverReply(answers);
    const bool uploadStep = state_ == State::Uploading &&
                            (step_.kind == StepKind::Folder || step_.kind == StepKind::File);
    if ((!uploadStep && !AwaitsReply()) || !AnswersStepOrLater(answers)) return Call::Ignore;
    if (step_.kind == StepKind::Folder && answers == step_.firstCommand &&
        FolderThere(code, remoteTree)) {
        Complete();
        return Call::FolderThere;
    }
    return Call::Fail;
}

SyncRun::Call SyncRun::TransferEnded() {
    if (!UploadPending()) return Call::Ignore;
    Complete();
    return Call::Next;
}

std::string SyncRun::StepLine() const {
    switch (step_.kind) {
        case StepKind::Folder:
            return "MKD " + LoggableName(step_.path);
        case StepKind::File:
            return "STOR " + LoggableName(step_.path);
        case StepKind::RemoveFile:
            return "DELE " + LoggableName(step_.path);
        case StepKind::RemoveFolder:
            return "RMD " + LoggableName(step_.path);
        case StepKind::None:
        case StepKind::PassOver:
            break;
    }
    return "";
}
