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
// that the next copy no longer finds. It is opened in the folder held, never through a link.
int OpenLockFile(int folder) {
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
    int fd = ::openat(folder, kSettingsLockFileName, O_RDWR | O_CREAT | flags, 0600);
    if (fd < 0) fd = ::openat(folder, kSettingsLockFileName, O_RDONLY | flags);  // flock: no write
    return fd;
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
           ::stat(SettingsFolder().Path().c_str(), &current) == 0 &&
           held.st_dev == current.st_dev && held.st_ino == current.st_ino;
}

SettingsFolderLock::Result SettingsFolderLock::Take() {
    if (HoldsCurrentFolder()) return Result::Taken;
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
    const bool heldElsewhere = folderError == EWOULDBLOCK || lockFileError == EWOULDBLOCK;
    // A lock file that can't be had (a link, a read-only folder without one) leaves the folder's
    // lock to hold; the folder that can't be locked (a network file system) leaves the file's.
    const bool taken = !heldElsewhere && (folderError == 0 || lockFileError == 0);
    if (!taken) {
        if (lockFile >= 0) ::close(lockFile);
        ::close(folder);
        error_ = folderError;
        return heldElsewhere ? Result::HeldElsewhere : Result::Unavailable;
    }
    if (lockFileError != 0 && lockFile >= 0) {
        ::close(lockFile);
        lockFile = -1;
    }
    Release();
    folder_ = folder;
    lockFile_ = lockFile;
    return Result::Taken;
}
