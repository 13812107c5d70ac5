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
#include "framework/FolderItem.h"

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

bool LocalScan::InsideRoot(const std::string& resolved) const {
    if (resolvedRoot_ == "/") return true;
    return resolved.compare(0, resolvedRoot_.size(), resolvedRoot_) == 0 &&
           (resolved.size() == resolvedRoot_.size() || resolved[resolvedRoot_.size()] == '/');
}

// An open folder; closed when it goes out of scope, so a scan never holds more than one open at a
// time however deep it goes.
struct LocalScan::OpenFolder {
    DIR* dir = nullptr;
    FolderId id{};
    explicit OpenFolder(const std::string& path) {
        dir = ::opendir(path.c_str());
        struct stat st;
        if (dir && ::fstat(::dirfd(dir), &st) == 0)
            id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
        else
            Close();
    }
    ~OpenFolder() { Close(); }
    void Close() {
        if (dir) ::closedir(dir);
        dir = nullptr;
    }
};

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
    // Links are judged against the root as it resolves: its own path may pass through links.
    resolvedRoot_ = fw::FolderItem(path).Resolved().Path();
    return ScanFolder(path);
}

// Answers false when the folder could not be read to its end, or an item in it examined.
bool LocalScan::ReadFolder(OpenFolder& folder, const std::string& path,
                           std::vector<SyncEntry>& batch) {
    const int fd = ::dirfd(folder.dir);
    struct Name {
        std::string name;
        unsigned char type;  // as the folder lists it: DT_LNK, DT_UNKNOWN, ...
    };
    std::vector<Name> names;
    while (true) {
        errno = 0;
        struct dirent* item = readItem ? readItem(folder.dir) : ::readdir(folder.dir);
        if (!item) {
            if (errno != 0) return false;
            break;
        }
        std::string name = item->d_name;
        if (name.empty() || name[0] == '.') continue;  // ".", ".." and hidden items
        names.push_back({std::move(name), item->d_type});
    }
    for (auto& [name, type] : names) {
        SyncEntry entry;
        struct stat st;
        bool reachable = ::fstatat(fd, name.c_str(), &st, 0) == 0;
        if (!reachable && ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue;  // gone since it was listed
            return false;  // listed but not examinable (no search permission, EIO): not read
        }
        // A link leads wherever it points: one whose target lies outside the local root must
        // not bring what it points at into the comparison, nor onto the server. Only links are
        // resolved; the folder's listing says which items are.
        bool outside = false;
        if (reachable && type != DT_REG && type != DT_DIR) {
            struct stat own;
            if (type == DT_LNK || (::fstatat(fd, name.c_str(), &own, AT_SYMLINK_NOFOLLOW) == 0 &&
                                   S_ISLNK(own.st_mode))) {
                const std::string target = fw::FolderItem(path + name).Resolved().Path();
                if (target.empty())
                    reachable = false;
                else
                    outside = !InsideRoot(target);
                entry.link = true;
            }
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
    folder.Close();
    return true;
}

bool LocalScan::ScanFolder(const std::string& path) {
    std::vector<SyncEntry> batch;
    {
        OpenFolder folder(path);
        if (!folder.dir) {
            Note(UnreadableText(path));
            return false;
        }
        ++groupCounter_;
        if (!ReadFolder(folder, path, batch)) {
            Note(UnreadableText(path));
            return false;
        }
        ancestors_.push_back(folder.id);
    }
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
                const std::string subPath = tree_[k].path;
                struct stat st;
                if (::stat(subPath.c_str(), &st) == 0 &&
                    std::any_of(ancestors_.begin(), ancestors_.end(), [&](const FolderId& id) {
                        return id.device == static_cast<uint64_t>(st.st_dev) &&
                               id.inode == static_cast<uint64_t>(st.st_ino);
                    })) {
                    tree_[k].opaque = true;
                    Note(LinkCycleText(subPath));
                } else if (!ScanFolder(subPath)) {
                    tree_[k].opaque = true;
                }
            }
        }
        Yield();
    }
    ancestors_.pop_back();
    return true;
}
