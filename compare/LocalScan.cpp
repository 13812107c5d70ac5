#include "compare/LocalScan.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "compare/SizeText.h"
#include "compare/TreeBounds.h"
#include "framework/LocalOpen.h"
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

void LocalScan::Note(const std::string& line) {
    if (log) log(line);
}

void LocalScan::Yield() {
    if (giveWay) giveWay();
}

namespace {

// The error number of a failed call (a hook that reports a failure without one: EIO).
int ErrorOrEio(int error) {
    return error != 0 ? error : EIO;
}

}  // namespace

bool LocalScan::Scan(const std::string& folderPath) {
    rootPath_ = folderPath;
    if (rootPath_.empty() || rootPath_.back() != '/') rootPath_ += '/';
    ancestors_.clear();
    rootFailure_ = {};
    // The root's own path may pass through links; links below it are judged against the folder
    // it leads to, as its descriptor tells.
    root_ = {};
    int error = 0;
    fw::FileDescriptor rootFd = fw::OpenFolderAt(rootPath_, &error);
    const std::optional<fw::Look> look = fw::LookAt(rootFd, &error);
    if (!look) {
        rootFailure_.error = ErrorOrEio(error);
        return false;
    }
    root_ = fw::ResolvedFolder::Of(rootFd);
    if (!root_.Known()) {
        // Without /proc no link could be judged; with it, the folder has lost its name since.
        if (fw::RealPathsKnown())
            rootFailure_.error = ENOENT;
        else
            rootFailure_.noProc = true;
        return false;
    }
    OpenFolder root{fw::FolderReader(std::move(rootFd)), look->identity};
    rootFailure_.error = ScanFolder(root, rootPath_, 0);
    return rootFailure_.error == 0;
}

// Answers 0, or the system's error number when the folder could not be read to its end, or an
// item in it examined.
int LocalScan::ReadFolder(OpenFolder& folder, const std::string& path,
                          std::vector<SyncEntry>& batch) {
    std::vector<std::string> names;
    while (true) {
        fw::FolderRead item = readItem ? readItem(folder.reader) : folder.reader.ReadNext();
        if (!item.name) {
            if (item.error != 0) return item.error;
            break;
        }
        std::string& name = *item.name;
        if (name.empty() || name[0] == '.') continue;  // ".", ".." and hidden items
        names.push_back(std::move(name));
    }
    const fw::FileDescriptor& fd = folder.reader.Descriptor();
    for (std::string& name : names) {
        SyncEntry entry;
        int error = 0;
        std::optional<fw::Look> look = fw::LookAtItem(fd, name, &error);
        if (!look) {
            if (error == ENOENT) continue;  // gone since it was listed
            return ErrorOrEio(
                error);  // listed but not examinable (no search permission, EIO): not read
        }
        // A link leads wherever it points: one whose target lies outside the local root must
        // not bring what it points at into the comparison, nor onto the server. What it is and
        // where it lies are read from one descriptor of its target, so that a link turned
        // elsewhere between two looks can't give one look's verdict to the other's file.
        bool reachable = true;
        bool outside = false;
        if (look->kind == fw::LookedKind::Link) {
            entry.link = true;
            fw::Look target;
            switch (fw::Judge(fw::ReachItemIn(fd, name), std::nullopt, &root_, &target)) {
                case fw::LookVerdict::Unreadable:
                    reachable = false;
                    break;
                case fw::LookVerdict::Outside:
                    outside = true;
                    look = target;
                    break;
                case fw::LookVerdict::Same:
                case fw::LookVerdict::Replaced:
                    look = target;
                    break;
            }
        }
        entry.identity = look->identity;
        entry.group = groupCounter_;
        entry.date = LocalDateText(look->modified);
        if (reachable && look->kind == fw::LookedKind::Folder) {
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
            entry.size = SizeText(reachable ? look->size : 0);
            entry.path = path + name;
            if (!reachable) {
                entry.opaque = true;
                Note(UnreadableText(entry.path));
            } else if (outside) {
                entry.opaque = true;
                Note(OutsideLinkText(entry.path));
            } else if (look->kind != fw::LookedKind::File) {
                entry.opaque = true;
                Note(SpecialFileText(entry.path));
            }
        }
        entry.name = std::move(name);
        batch.push_back(std::move(entry));
        Yield();
    }
    return 0;
}

// Opens the subfolder as its parent's listing saw it, from the parent's descriptor; nothing, with
// a line in the log, when it is not that folder now. A plain folder is opened without following a
// link, so it is the parent's own; a link only to the folder it was judged by, and judged again
// on the descriptor read.
std::optional<LocalScan::OpenFolder> LocalScan::OpenSubfolder(const OpenFolder& parent,
                                                              const SyncEntry& entry) {
    int error = 0;
    fw::FileDescriptor fd =
        fw::OpenFolderIn(parent.reader.Descriptor(), entry.name,
                         entry.link ? fw::AtLink::Follow : fw::AtLink::Refuse, &error);
    if (!fd) {
        // A folder made a link or a file since the listing, or one that can't be read.
        Note(error == ELOOP || error == ENOTDIR ? ReplacedText(entry.path)
                                                : UnreadableText(entry.path));
        return std::nullopt;
    }
    const fw::Look looked{entry.identity, fw::LookedKind::Folder};
    switch (fw::Judge(fd, looked, entry.link ? &root_ : nullptr)) {
        case fw::LookVerdict::Same:
            return OpenFolder{fw::FolderReader(std::move(fd)), entry.identity};
        case fw::LookVerdict::Unreadable:
            Note(UnreadableText(entry.path));
            break;
        case fw::LookVerdict::Replaced:
            Note(ReplacedText(entry.path));
            break;
        case fw::LookVerdict::Outside:
            Note(OutsideLinkText(entry.path));  // the link's folder has been moved out of the root
            break;
    }
    return std::nullopt;
}

// Whether an entry lies past the remote walk's bounds, as the run would send it: a folder more
// levels below the root than the walk goes (depth: the root's own entries are at 1), or an entry
// whose path on the server would be longer than it takes. Named in the log.
bool LocalScan::PastTheBounds(const SyncEntry& entry, int32_t depth) {
    const bool folder = entry.kind == "d";
    if (folder && depth > kMaxTreeDepth) {
        Note(TooDeepText(entry.path));
        return true;
    }
    // The remote root, "/", and the names below the local root (a folder's without its "/").
    const size_t below = entry.path.size() - rootPath_.size() - (folder ? 1 : 0);
    if (remoteRoot.size() + 1 + below > kMaxRemotePathBytes) {
        Note(TooLongText(entry.path));
        return true;
    }
    return false;
}

// Answers 0 once the folder has been read and everything below it scanned, or the system's error
// number when the folder itself could not be read (then nothing of it has been appended). depth:
// the folder's level below the root (the root: 0).
int LocalScan::ScanFolder(OpenFolder& folder, const std::string& path, int32_t depth) {
    std::vector<SyncEntry> batch;
    ++groupCounter_;
    if (const int error = ReadFolder(folder, path, batch); error != 0) return error;
    ancestors_.push_back(folder.identity);
    const int32_t group = groupCounter_;
    const size_t first = tree_.size();
    if (appendRun)
        appendRun(batch, group);
    else
        AppendSortedRun(tree_, runs_, batch, group);
    const size_t last = tree_.size();
    for (size_t k = first; k < last; ++k) {
        if (!tree_[k].opaque && PastTheBounds(tree_[k], depth + 1)) tree_[k].opaque = true;
        if (tree_[k].kind == "d") {
            tree_[k].child = static_cast<int32_t>(tree_.size());
            if (!tree_[k].opaque) {
                const fw::FileIdentity& id = tree_[k].identity;
                if (std::find(ancestors_.begin(), ancestors_.end(), id) != ancestors_.end()) {
                    tree_[k].opaque = true;
                    Note(LinkCycleText(tree_[k].path));
                } else {
                    // The tree grows during the descent: the entry is copied, not referred to.
                    const std::string subPath = tree_[k].path;
                    std::optional<OpenFolder> sub = OpenSubfolder(folder, tree_[k]);
                    if (!sub) {
                        tree_[k].opaque = true;
                    } else if (ScanFolder(*sub, subPath, depth + 1) != 0) {
                        tree_[k].opaque = true;
                        Note(UnreadableText(subPath));
                    }
                }
            }
        }
        Yield();
    }
    ancestors_.pop_back();
    return 0;
}
