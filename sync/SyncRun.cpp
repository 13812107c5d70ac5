// Where a sync run stands: its phases, each from a list built and confirmed afresh, and the steps
// through that list, one at a time, each taken only once the step before it has completed.
#include "sync/SyncRun.h"

#include <algorithm>

SyncRun::SyncRun(int32_t& upload, bool& remove, bool& finished, std::vector<int32_t>& list,
                 int32_t& cursor)
    : upload_(upload), remove_(remove), finished_(finished), list_(list), cursor_(cursor) {}

bool SyncRun::Active() const {
    return state_ == State::Building || state_ == State::Confirming || state_ == State::Uploading ||
           state_ == State::Removing;
}

bool SyncRun::UploadPending() const {
    return state_ == State::Uploading && step_.kind == StepKind::File;
}

// Nothing pending, nothing deferred, no list run out.
void SyncRun::Reset(State state) {
    state_ = state;
    step_ = Step{};
    Complete();
    deferred_ = false;
    finished_ = false;
}

void SyncRun::Begin(int32_t mode) {
    Reset(State::Building);
    phase_ = Phase::Upload;
    mode_ = mode;
    list_.clear();
    cursor_ = 0;
    settle();
}

void SyncRun::BeginRemovals() {
    Reset(State::Building);
    phase_ = Phase::Removal;
    list_.clear();
    cursor_ = 0;
}

void SyncRun::AwaitConfirmation() {
    state_ = State::Confirming;
}

void SyncRun::Proceed() {
    state_ = phase_ == Phase::Upload ? State::Uploading : State::Removing;
}

void SyncRun::End(Ending ending) {
    Reset(ending == Ending::Done ? State::Idle : State::Stopped);
    settle();
}

bool SyncRun::TakeFinished() {
    const bool finished = finished_;
    finished_ = false;
    return finished;
}

void SyncRun::DropStep() {
    Complete();
}

// The window's flags follow the pending step's kind.
void SyncRun::Await(StepKind kind, std::optional<int64_t> firstCommand) {
    step_.kind = kind;
    step_.firstCommand = firstCommand;
    upload_ = kind == StepKind::Folder ? UploadFolder
              : kind == StepKind::File ? UploadFile
                                       : UploadNone;
    remove_ = kind == StepKind::RemoveFile || kind == StepKind::RemoveFolder;
}

std::optional<int32_t> SyncRun::NextEntry(Phase phase, bool dataConnectionOpen) {
    if (state_ != (phase == Phase::Upload ? State::Uploading : State::Removing)) return {};
    if (dataConnectionOpen) {
        deferred_ = true;  // taken once the data connection has closed
        return {};
    }
    if (cursor_ < 0 || static_cast<size_t>(cursor_) >= list_.size()) {
        Complete();
        finished_ = true;
        return {};
    }
    return list_[static_cast<size_t>(cursor_++)];
}

int32_t SyncRun::CurrentEntry() const {
    return list_[static_cast<size_t>(cursor_ - 1)];
}

std::span<const int32_t> SyncRun::Ahead() const {
    const size_t from = std::min(static_cast<size_t>(std::max(cursor_, 0)), list_.size());
    return std::span<const int32_t>(list_).subspan(from);
}

void SyncRun::Sent(StepKind kind, std::optional<int64_t> firstCommand, const std::string& path) {
    // A run that ended while the command went out waits for nothing.
    if (state_ != State::Uploading && state_ != State::Removing) return;
    step_.path = path;
    Await(kind, firstCommand);
}

void SyncRun::PassOver(std::optional<int64_t> deleCommand) {
    Await(StepKind::PassOver, deleCommand);
}

bool SyncRun::DeferredTurn(bool dataConnectionOpen) {
    if (!deferred_ || dataConnectionOpen) return false;
    deferred_ = false;
    return true;
}
