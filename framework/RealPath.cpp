#include "RealPath.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

std::string RealPathOf(int fd) {
    if (fd < 0) return "";
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer || buffer[0] != '/') return "";
    std::string path(buffer, static_cast<size_t>(n));
    // The name it was opened by has gone since (another name may hold it still): the system
    // marks it so, and a real name that happens to end the same way names the same file.
    static const std::string kGone = " (deleted)";
    if (path.size() > kGone.size() &&
        path.compare(path.size() - kGone.size(), kGone.size(), kGone) == 0) {
        struct stat opened, named;
        if (::fstat(fd, &opened) != 0 || ::lstat(path.c_str(), &named) != 0 ||
            named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)
            return "";
    }
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool RealPathsKnown() {
    return ::access("/proc/self/fd", F_OK) == 0;
}

bool LiesWithin(const std::string& path, const std::string& folder) {
    if (folder.empty() || path.empty()) return false;
    if (folder == "/") return path[0] == '/';
    return path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

}  // namespace fw
