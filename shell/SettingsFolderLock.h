#pragma once

// One copy of the program at a time per settings folder: each reads the settings at start and
// writes them whole at quit, so a second copy would undo what the first saved. The lock is an
// flock on a file in the settings folder, held open for the whole run: the kernel lets it go
// with the process, so a copy that crashed never blocks the next start.
class SettingsFolderLock {
public:
    enum class Result {
        Taken,          // this copy holds the settings folder
        HeldElsewhere,  // another copy holds it
        Unavailable,    // no lock can be had there (a read-only folder, say): nothing to guard
    };

    SettingsFolderLock() = default;
    ~SettingsFolderLock();
    SettingsFolderLock(const SettingsFolderLock&) = delete;
    SettingsFolderLock& operator=(const SettingsFolderLock&) = delete;

    // Takes the lock of the settings folder as it is now. A lock already held on the same lock
    // file is kept; one held on a folder since removed is given up for the new one.
    Result Take();
    // This copy holds the lock of a folder that has since been replaced: the folder there now was
    // made while it ran, and what it holds another copy may have saved.
    bool HeldOnAReplacedFolder() const { return fd_ >= 0 && !HoldsCurrentLockFile(); }

private:
    bool HoldsCurrentLockFile() const;

    int fd_ = -1;
};

extern const char* const kSettingsLockFileName;  // ".lock"
