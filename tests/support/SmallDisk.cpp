#include "tests/support/SmallDisk.h"

#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace testsupport {

namespace {

std::string Failed(const std::string& what) {
    return what + ": " + strerror(errno);
}

// The process's own mount namespace, entered once: "" when it is there, else why not.
const std::string& OwnMountNamespace() {
    static const std::string why = []() -> std::string {
        if (unshare(CLONE_NEWNS) != 0) return Failed("unshare(CLONE_NEWNS)");
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return Failed("making the mounts private");
        return "";
    }();
    return why;
}

}  // namespace

SmallDisk::SmallDisk(std::string folder, int64_t bytes)
    : folder_(std::move(folder)), filler_(folder_ + "/.filler") {
    why_ = OwnMountNamespace();
    if (!why_.empty()) {
        why_ = "needs a mount namespace of its own (root): " + why_;
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    if (mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        why_ = Failed("needs to mount a tmpfs (root)");
        return;
    }
    mounted_ = true;
}

SmallDisk::~SmallDisk() {
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
}

int64_t SmallDisk::PageSize() {
    return sysconf(_SC_PAGESIZE);
}

int64_t SmallDisk::FreeBytes() const {
    struct statvfs info {};
    if (statvfs(folder_.c_str(), &info) != 0) return -1;
    return static_cast<int64_t>(info.f_bavail) * static_cast<int64_t>(info.f_frsize);
}

bool SmallDisk::LeaveFree(int64_t pages) {
    if (!mounted_) return false;
    const int fd = open(filler_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // Whole pages up to the last one, then back by as many pages as are to be free.
    const int64_t page = PageSize();
    off_t size = lseek(fd, 0, SEEK_END);
    size -= size % page;
    const std::vector<char> chunk(static_cast<size_t>(16 * page), 'f');
    for (;;) {
        const ssize_t n = pwrite(fd, chunk.data(), chunk.size(), size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        size += n;
    }
    const bool full = errno == ENOSPC;
    const bool cut = full && size >= pages * page && ftruncate(fd, size - pages * page) == 0;
    close(fd);
    return cut && FreeBytes() == pages * page;
}

void SmallDisk::Empty() {
    unlink(filler_.c_str());
}

bool SmallDisk::Remount(bool readOnly) {
    const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
    return mounted_ && mount(nullptr, folder_.c_str(), nullptr, flags, nullptr) == 0;
}

}  // namespace testsupport
