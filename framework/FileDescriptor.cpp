#include "FileDescriptor.h"

#include <unistd.h>

#include <cerrno>

namespace fw {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

int FileDescriptor::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileDescriptor::Close() {
    if (fd_ < 0) return;
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    errno = error;
}

}  // namespace fw
