#include "shell/SettingsFolderLock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "shell/SettingsFolder.h"

const char* const kSettingsLockFileName = ".lock";

namespace {

// The lock file is never removed: a copy that opened it just before the removal would lock a file
// that the next copy no longer finds. It is opened in the folder held, never through a link, and
// never waits on what stands there: a pipe that may only be read would wait for a writer, a file
// another program holds a lease on for the lease to go. When it can't be opened, errno says why:
// where there is none to open, why it could not be made.
int OpenLockFile(int folder) {
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK;
    int fd = ::openat(folder, kSettingsLockFileName, O_RDWR | O_CREAT | flags, 0600);
    if (fd >= 0) return fd;
    const int createError = errno;
    fd = ::openat(folder, kSettingsLockFileName, O_RDONLY | flags);  // flock needs no write
    if (fd < 0 && errno == ENOENT) errno = createError;
    return fd;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// 0 once fd is locked, else why not.
int Lock(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

}  // namespace

SettingsFolderLock::~SettingsFolderLock() {
    Release();
}

void SettingsFolderLock::Release() {
    if (lockFile_ >= 0) ::close(lockFile_);
    if (folder_ >= 0) ::close(folder_);
    lockFile_ = folder_ = -1;
}

bool SettingsFolderLock::HoldsCurrentFolder() const {
    struct stat held, current;
    return folder_ >= 0 && ::fstat(folder_, &held) == 0 &&
           ::stat(SettingsFolder().Path().c_str(), &current) == 0 && SameFile(held, current);
}

// Without the folder's own lock, what keeps another copy out is the lock file: only as long as the
// file held is the one at ".lock", which another copy would lock once this one is removed.
bool SettingsFolderLock::HoldsCurrentLock() const {
    if (!HoldsCurrentFolder()) return false;
    if (folderLocked_) return true;
    struct stat held, current;
    return lockFile_ >= 0 && ::fstat(lockFile_, &held) == 0 &&
           ::fstatat(folder_, kSettingsLockFileName, &current, AT_SYMLINK_NOFOLLOW) == 0 &&
           SameFile(held, current);
}

SettingsFolderLock::Result SettingsFolderLock::Take() {
    if (HoldsCurrentLock()) return Result::Taken;
    // Through a link, if the folder is one: two copies reach the same folder by the same path. A
    // folder that can't be read still has an identity and a lock file to lock.
    const std::string path = SettingsFolder().Path();
    int folder = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0 && errno == EACCES)
        folder = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        error_ = errno;
        return Result::Unavailable;
    }
    const int folderError = Lock(folder);
    int lockFile = -1;
    int lockFileError = 0;
    if (folderError != EWOULDBLOCK) {
        lockFile = OpenLockFile(folder);
        lockFileError = lockFile >= 0 ? Lock(lockFile) : errno;
    }
    // Only a lock says another copy holds the folder: a lock file that could not be opened without
    // waiting (a lease on it) is one that can't be had.
    const bool heldElsewhere =
        folderError == EWOULDBLOCK || (lockFile >= 0 && lockFileError == EWOULDBLOCK);
    // A lock file that can't be had (a link, a read-only folder without one) leaves the folder's
    // lock to hold; the folder that can't be locked (a network file system) leaves the file's.
    const bool taken = !heldElsewhere && (folderError == 0 || lockFileError == 0);
    if (!taken) {
        if (lockFile >= 0) ::close(lockFile);
        ::close(folder);
        // The folder's lock failing is the nature of the file system (or of a folder that could
        // only be reached, not read): what stands in the way is what kept the lock file.
        error_ = lockFileError != 0 ? lockFileError : folderError;
        return heldElsewhere ? Result::HeldElsewhere : Result::Unavailable;
    }
    if (lockFileError != 0 && lockFile >= 0) {
        ::close(lockFile);
        lockFile = -1;
    }
    Release();
    folder_ = folder;
    folderLocked_ = folderError == 0;
    lockFile_ = lockFile;
    return Result::Taken;
}
