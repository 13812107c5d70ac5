#include "tests/support/DeepTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

namespace testsupport {

namespace {

// A folder's descriptor, closed when it goes.
class Folder {
public:
    explicit Folder(int fd) : fd_(fd) {}
    ~Folder() {
        if (fd_ >= 0) ::close(fd_);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

int OpenFolderAt(int parent, const std::string& name) {
    return ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

bool WriteAt(int folder, const std::string& name, const std::string& bytes) {
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    return ::close(fd) == 0 && written == bytes.size();
}

std::string ReadAt(int folder, const std::string& name) {
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "";
    std::string bytes;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return bytes;
}

void ReadInto(int folder, const std::string& prefix, const std::string& folderMark,
              std::map<std::string, std::string>& tree) {
    DIR* dir = ::fdopendir(::dup(folder));
    if (!dir) return;
    std::vector<std::pair<std::string, bool>> items;
    while (struct dirent* item = ::readdir(dir)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        items.emplace_back(name, S_ISDIR(st.st_mode));
    }
    ::closedir(dir);
    for (const auto& [name, isFolder] : items) {
        if (!isFolder) {
            tree[prefix + name] = ReadAt(folder, name);
            continue;
        }
        tree[prefix + name] = folderMark;
        Folder sub(OpenFolderAt(folder, name));
        if (sub.fd() >= 0) ReadInto(sub.fd(), prefix + name + "/", folderMark, tree);
    }
}

}  // namespace

bool MakeDeep(const std::string& root, const std::string& relative, const std::string& bytes) {
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t slash; (slash = relative.find('/', start)) != std::string::npos; start = slash + 1)
        names.push_back(relative.substr(start, slash - start));
    const std::string fileName = relative.substr(start);
    std::unique_ptr<Folder> at = std::make_unique<Folder>(OpenFolderAt(AT_FDCWD, root));
    for (const std::string& name : names) {
        if (at->fd() < 0) return false;
        if (::mkdirat(at->fd(), name.c_str(), 0755) != 0 && errno != EEXIST) return false;
        at = std::make_unique<Folder>(OpenFolderAt(at->fd(), name));
    }
    if (at->fd() < 0) return false;
    return fileName.empty() || WriteAt(at->fd(), fileName, bytes);
}

std::map<std::string, std::string> ReadDeep(const std::string& root,
                                            const std::string& folderMark) {
    std::map<std::string, std::string> tree;
    Folder folder(OpenFolderAt(AT_FDCWD, root));
    if (folder.fd() >= 0) ReadInto(folder.fd(), "", folderMark, tree);
    return tree;
}

}  // namespace testsupport
