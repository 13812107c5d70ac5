#include "LocalOpen.h"

#include <fcntl.h>

#include <cerrno>

namespace fw {

namespace {

FileDescriptor Opened(int fd, int* error) {
    if (fd < 0 && error) *error = errno;
    return FileDescriptor(fd);
}

}  // namespace

FileDescriptor OpenFolderAt(const std::string& path, int* error) {
    return Opened(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), error);
}

FileDescriptor ReachFolderAt(const std::string& path, int* error) {
    return Opened(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC), error);
}

FileDescriptor OpenFolderIn(const FileDescriptor& folder, const std::string& name, AtLink link,
                            int* error) {
    const int flags =
        O_RDONLY | O_DIRECTORY | O_CLOEXEC | (link == AtLink::Refuse ? O_NOFOLLOW : 0);
    return Opened(::openat(folder.Get(), name.c_str(), flags), error);
}

FileDescriptor ReachItemIn(const FileDescriptor& folder, const std::string& name, int* error) {
    return Opened(::openat(folder.Get(), name.c_str(), O_PATH | O_CLOEXEC), error);
}

FileDescriptor ReachItemAt(const std::string& path, int* error) {
    return Opened(::open(path.c_str(), O_PATH | O_CLOEXEC), error);
}

FileDescriptor ReopenForReading(const FileDescriptor& reached, int* error) {
    const std::string named = "/proc/self/fd/" + std::to_string(reached.Get());
    return Opened(::open(named.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY), error);
}

}  // namespace fw
