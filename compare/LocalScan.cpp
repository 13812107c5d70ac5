#include "compare/LocalScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "compare/SizeText.h"
#include "framework/RealPath.h"

std::string LocalDateText(int64_t unixSeconds) {
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) return "1970/01/01 00:00";
    char text[48];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    return text;
}

std::string LocalScan::UnreadableText(const std::string& path) {
    return "読み込めないため比較から除外しました: " + path;
}

std::string LocalScan::LinkCycleText(const std::string& path) {
    return "リンクが循環しているため比較から除外しました: " + path;
}

std::string LocalScan::SpecialFileText(const std::string& path) {
    return "特殊なファイルのため比較から除外しました: " + path;
}

std::string LocalScan::OutsideLinkText(const std::string& path) {
    return "ローカルフォルダの外を指すリンクのため比較から除外しました: " + path;
}

std::string LocalScan::ReplacedText(const std::string& path) {
    return "比較中に移動または置き換えられたため比較から除外しました: " + path;
}

namespace {

// A descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

void LocalScan::Note(const std::string& line) {
    if (log) log(line);
}

void LocalScan::Yield() {
    if (giveWay) giveWay();
}

bool LocalScan::Scan(const std::string& folderPath) {
    std::string path = folderPath;
    if (path.empty() || path.back() != '/') path += '/';
    ancestors_.clear();
    // The root's own path may pass through links; links below it are judged against the folder
    // it leads to, as its descriptor tells.
    Descriptor root(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    realRoot_ = fw::RealPathOf(root.get());
    if (realRoot_.empty()) {
        Note(UnreadableText(path));
        return false;
    }
    return ScanFolder(root.get(), path);
}

// Answers false when the folder could not be read to its end, or an item in it examined.
bool LocalScan::ReadFolder(int folder, const std::string& path, std::vector<SyncEntry>& batch) {
    std::vector<std::string> names;
    {
        // The listing reads a descriptor of its own; the folder's stays open for the looks below
        // and the descent, without the listing's buffer.
        const int listed = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
        DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
        if (!dir) {
            if (listed >= 0) ::close(listed);
            return false;
        }
        bool whole = true;
        while (true) {
            errno = 0;
            struct dirent* item = readItem ? readItem(dir) : ::readdir(dir);
            if (!item) {
                whole = errno == 0;
                break;
            }
            std::string name = item->d_name;
            if (name.empty() || name[0] == '.') continue;  // ".", ".." and hidden items
            names.push_back(std::move(name));
        }
        ::closedir(dir);
        if (!whole) return false;
    }
    for (std::string& name : names) {
        SyncEntry entry;
        struct stat st;
        if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue;  // gone since it was listed
            return false;  // listed but not examinable (no search permission, EIO): not read
        }
        // A link leads wherever it points: one whose target lies outside the local root must
        // not bring what it points at into the comparison, nor onto the server. What it is and
        // where it lies are read from one descriptor of its target, so that a link turned
        // elsewhere between two looks can't give one look's verdict to the other's file.
        bool reachable = true;
        bool outside = false;
        if (S_ISLNK(st.st_mode)) {
            entry.link = true;
            Descriptor target(::openat(folder, name.c_str(), O_PATH | O_CLOEXEC));
            const std::string real = fw::RealPathOf(target.get());
            if (real.empty() || ::fstat(target.get(), &st) != 0)
                reachable = false;
            else
                outside = !fw::LiesWithin(real, realRoot_);
        }
        entry.device = static_cast<uint64_t>(st.st_dev);
        entry.inode = static_cast<uint64_t>(st.st_ino);
        entry.group = groupCounter_;
        entry.date = LocalDateText(static_cast<int64_t>(st.st_mtime));
        if (reachable && S_ISDIR(st.st_mode)) {
            // assign(), not "=": GCC 12 warns falsely of overlapping copies for the latter.
            entry.kind.assign(1, 'd');
            entry.size.assign(1, '-');
            entry.path = path + name + "/";
            if (outside) {
                entry.opaque = true;
                Note(OutsideLinkText(entry.path));
            }
        } else {
            entry.kind.assign(1, 'f');
            entry.size = SizeText(reachable ? static_cast<int64_t>(st.st_size) : 0);
            entry.path = path + name;
            if (!reachable) {
                entry.opaque = true;
                Note(UnreadableText(entry.path));
            } else if (outside) {
                entry.opaque = true;
                Note(OutsideLinkText(entry.path));
            } else if (!S_ISREG(st.st_mode)) {
                entry.opaque = true;
                Note(SpecialFileText(entry.path));
            }
        }
        entry.name = std::move(name);
        batch.push_back(std::move(entry));
        Yield();
    }
    return true;
}

// The subfolder as its parent's listing saw it, opened from the parent's descriptor, or -1 with a
// line in the log. A plain folder is opened without following a link; a link only to the folder
// that it was judged by, and judged again on the descriptor that will be read.
int LocalScan::OpenSubfolder(int parent, const SyncEntry& entry) {
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (entry.link ? 0 : O_NOFOLLOW);
    const int fd = ::openat(parent, entry.name.c_str(), flags);
    if (fd < 0) {
        // A folder made a link or a file since the listing, or one that can't be read.
        Note(errno == ELOOP || errno == ENOTDIR ? ReplacedText(entry.path)
                                                : UnreadableText(entry.path));
        return -1;
    }
    struct stat st;
    const std::string real = fw::RealPathOf(fd);
    if (::fstat(fd, &st) != 0 || real.empty()) {
        Note(UnreadableText(entry.path));
    } else if (static_cast<uint64_t>(st.st_dev) != entry.device ||
               static_cast<uint64_t>(st.st_ino) != entry.inode) {
        Note(ReplacedText(entry.path));
    } else if (!fw::LiesWithin(real, realRoot_)) {
        // Moved out of the root since the listing, or a link whose target was.
        Note(entry.link ? OutsideLinkText(entry.path) : ReplacedText(entry.path));
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

bool LocalScan::ScanFolder(int folder, const std::string& path) {
    struct stat own;
    if (::fstat(folder, &own) != 0) {
        Note(UnreadableText(path));
        return false;
    }
    std::vector<SyncEntry> batch;
    ++groupCounter_;
    if (!ReadFolder(folder, path, batch)) {
        Note(UnreadableText(path));
        return false;
    }
    ancestors_.push_back({static_cast<uint64_t>(own.st_dev), static_cast<uint64_t>(own.st_ino)});
    const int32_t group = groupCounter_;
    const size_t first = tree_.size();
    if (appendRun)
        appendRun(batch, group);
    else
        AppendSortedRun(tree_, runs_, batch, group);
    const size_t last = tree_.size();
    for (size_t k = first; k < last; ++k) {
        if (tree_[k].kind == "d") {
            tree_[k].child = static_cast<int32_t>(tree_.size());
            if (!tree_[k].opaque) {
                const FolderId id{tree_[k].device, tree_[k].inode};
                if (std::find(ancestors_.begin(), ancestors_.end(), id) != ancestors_.end()) {
                    tree_[k].opaque = true;
                    Note(LinkCycleText(tree_[k].path));
                } else {
                    // The tree grows during the descent: the entry is copied, not referred to.
                    const std::string subPath = tree_[k].path;
                    Descriptor sub(OpenSubfolder(folder, tree_[k]));
                    if (sub.get() < 0 || !ScanFolder(sub.get(), subPath)) tree_[k].opaque = true;
                }
            }
        }
        Yield();
    }
    ancestors_.pop_back();
    return true;
}
