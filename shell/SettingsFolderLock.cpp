#include "shell/SettingsFolderLock.h"

#include <cerrno>
#include <optional>
#include <string>

#include "framework/FileLock.h"
#include "framework/LocalLook.h"
#include "framework/LocalOpen.h"
#include "shell/SettingsFolder.h"

const char* const kSettingsLockFileName = ".lock";

namespace {

// Whether held is the file or folder looked at now.
bool IsWhatIsThere(const fw::FileDescriptor& held, const std::optional<fw::Look>& there) {
    return there && fw::Judge(held, there, nullptr) == fw::LookVerdict::Same;
}

}  // namespace

SettingsFolderLock::~SettingsFolderLock() {
    Release();
}

void SettingsFolderLock::Release() {
    lockFile_.Close();
    folder_.Close();
}

bool SettingsFolderLock::HoldsCurrentFolder() const {
    return folder_ && IsWhatIsThere(folder_, fw::LookAtPath(SettingsFolder().Path()));
}

// Without the folder's own lock, what keeps another copy out is the lock file: only as long as the
// file held is the one at ".lock", which another copy would lock once this one is removed.
bool SettingsFolderLock::HoldsCurrentLock() const {
    if (!HoldsCurrentFolder()) return false;
    if (folderLocked_) return true;
    return lockFile_ && IsWhatIsThere(lockFile_, fw::LookAtItem(folder_, kSettingsLockFileName));
}

SettingsFolderLock::Result SettingsFolderLock::Take() {
    if (HoldsCurrentLock()) return Result::Taken;
    // Through a link, if the folder is one: two copies reach the same folder by the same path. A
    // folder that can't be read still has an identity and a lock file to lock.
    const std::string path = SettingsFolder().Path();
    int openError = 0;
    fw::FileDescriptor folder = fw::OpenFolderAt(path, &openError);
    if (!folder && openError == EACCES) folder = fw::ReachFolderAt(path, &openError);
    if (!folder) {
        error_ = openError;
        return Result::Unavailable;
    }
    const int folderError = fw::TryLockExclusive(folder);
    // The lock file is never removed: a copy that opened it just before the removal would lock a
    // file that the next copy no longer finds.
    fw::FileDescriptor lockFile;
    int lockFileError = 0;
    if (folderError != EWOULDBLOCK) {
        lockFile = fw::OpenLockFileIn(folder, kSettingsLockFileName, &lockFileError);
        if (lockFile) lockFileError = fw::TryLockExclusive(lockFile);
    }
    // Only a lock says another copy holds the folder: a lock file that could not be opened without
    // waiting (a lease on it) is one that can't be had.
    const bool heldElsewhere =
        folderError == EWOULDBLOCK || (lockFile && lockFileError == EWOULDBLOCK);
    // A lock file that can't be had (a link, a read-only folder without one) leaves the folder's
    // lock to hold; the folder that can't be locked (a network file system) leaves the file's.
    const bool taken = !heldElsewhere && (folderError == 0 || lockFileError == 0);
    if (!taken) {
        // The folder's lock failing is the nature of the file system (or of a folder that could
        // only be reached, not read): what stands in the way is what kept the lock file.
        error_ = lockFileError != 0 ? lockFileError : folderError;
        return heldElsewhere ? Result::HeldElsewhere : Result::Unavailable;
    }
    if (lockFileError != 0) lockFile.Close();
    Release();
    folder_ = std::move(folder);
    folderLocked_ = folderError == 0;
    lockFile_ = std::move(lockFile);
    return Result::Taken;
}
