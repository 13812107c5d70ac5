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

std::string LockFilePath() {
    return SettingsFolder().Child(kSettingsLockFileName).Path();
}

// The lock file is never removed: a copy that opened it just before the removal would lock a file
// that the next copy no longer finds.
int OpenLockFile(const std::string& path) {
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | flags, 0600);
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | flags);  // an flock needs no write access
    return fd;
}

}  // namespace

SettingsFolderLock::~SettingsFolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool SettingsFolderLock::HoldsCurrentLockFile() const {
    struct stat held, current;
    return fd_ >= 0 && ::fstat(fd_, &held) == 0 && ::lstat(LockFilePath().c_str(), &current) == 0 &&
           held.st_dev == current.st_dev && held.st_ino == current.st_ino;
}

SettingsFolderLock::Result SettingsFolderLock::Take() {
    if (HoldsCurrentLockFile()) return Result::Taken;
    const int fd = OpenLockFile(LockFilePath());
    if (fd < 0) return Result::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? Result::HeldElsewhere : Result::Unavailable;
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
    return Result::Taken;
}
