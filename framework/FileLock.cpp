#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

namespace fw {

FileDescriptor OpenLockFileIn(const FileDescriptor& folder, const std::string& name, int* error) {
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK;
    int fd = ::openat(folder.Get(), name.c_str(), O_RDWR | O_CREAT | flags, 0600);
    if (fd < 0) {
        const int createError = errno;
        fd = ::openat(folder.Get(), name.c_str(), O_RDONLY | flags);
        if (fd < 0 && error) *error = errno == ENOENT ? createError : errno;
    }
    return FileDescriptor(fd);
}

int TryLockExclusive(const FileDescriptor& fd) {
    return ::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

}  // namespace fw
