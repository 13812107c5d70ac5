#pragma once

#include "framework/FileDescriptor.h"

// One copy of the program at a time per settings folder: each reads the settings at start and
// writes them whole at quit, so a second copy would undo what the first saved. The lock is an
// flock on the settings folder itself, held open for the whole run: the folder is always there
// once start-up has found or made it, and it is what the settings are read from, whatever link
// leads to it. The kernel lets the lock go with the process, so a copy that crashed never blocks
// the next start. The lock file ".lock" in the folder is locked as well, where it can be, since
// that is what copies of earlier versions lock; where the folder itself can't be locked (a network
// file system, a folder that can be reached but not read), it is all that holds, and only while it
// is the file at ".lock".
class SettingsFolderLock {
public:
    enum class Result {
        Taken,          // this copy holds the settings folder
        HeldElsewhere,  // another copy holds it
        Unavailable,    // no lock can be had on it (see Error)
    };

    SettingsFolderLock() = default;
    ~SettingsFolderLock();
    SettingsFolderLock(const SettingsFolderLock&) = delete;
    SettingsFolderLock& operator=(const SettingsFolderLock&) = delete;

    // Takes the lock of the settings folder as it is now. A lock already held on that folder is
    // kept; one held on a folder since removed or replaced, or only by a lock file since removed
    // or replaced, is given up for the new one.
    Result Take();
    // Why the last Take answered Unavailable (an errno value): what kept the lock file from being
    // locked, when the folder itself could not be either.
    int Error() const { return error_; }
    // This copy holds the lock of a folder that has since been replaced: the folder there now was
    // made while it ran, and what it holds another copy may have saved.
    bool HeldOnAReplacedFolder() const { return folder_ && !HoldsCurrentFolder(); }

private:
    bool HoldsCurrentFolder() const;
    bool HoldsCurrentLock() const;
    void Release();

    fw::FileDescriptor folder_;    // the settings folder
    bool folderLocked_ = false;    // folder_ locked itself; else only the lock file is
    fw::FileDescriptor lockFile_;  // ".lock", locked, or none where it can't be opened
    int error_ = 0;
};

extern const char* const kSettingsLockFileName;  // ".lock"
