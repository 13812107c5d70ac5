#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compare/CompareRuns.h"
#include "compare/SyncEntry.h"
#include "framework/FolderReader.h"
#include "framework/LocalLook.h"

// The comparison's date text of a file's modification time: yyyy/MM/dd HH:mm in local time.
std::string LocalDateText(int64_t unixSeconds);

// The depth-first scan of a local folder into the flattened local tree: each folder's visible
// items (names not beginning with ".") become one run, sorted by name and appended at once, then
// every subfolder of that run is scanned in name order. Each folder is read once, through a
// descriptor opened from its parent's, and only when it is still the folder its parent's listing
// saw (the same device and inode, read from that descriptor): a folder swapped for a link or for
// another folder while the scan went on is never gone into. A link is judged on one look: where
// it leads and what it is both come from one descriptor of its target, and a link to a folder is
// judged again on the descriptor the folder is read by.
// Links whose target lies inside the root, as the root itself resolves, are followed; a link that
// leads out of the root, a folder that cannot be read, a link that leads back into its own
// ancestry, a link that leads nowhere, a folder replaced or moved during the scan and a special
// file (FIFO, socket, device) become opaque entries, each with a line in the log, and nothing below
// them is scanned. A folder whose reading fails part-way, or one of whose items can't be examined,
// is as unreadable as one that cannot be opened: the items not read must not count as missing.
// The scan keeps to the remote walk's bounds (TreeBounds.h): a folder deeper than it goes, or an
// entry whose path on the server would be longer, is opaque too, so that the run never sends it.
// A scan holds one descriptor for each folder level it is in.
class LocalScan {
public:
    LocalScan(std::vector<SyncEntry>& tree, std::vector<GroupRun>& runs, int32_t& groupCounter)
        : tree_(tree), runs_(runs), groupCounter_(groupCounter) {}

    // Appends one folder's batch as its run (the batch sort); unset: AppendSortedRun.
    std::function<void(std::vector<SyncEntry>& batch, int32_t group)> appendRun;
    std::function<void(const std::string& line)> log;
    std::function<void()> giveWay;
    // Reads a folder's next item (nothing and error 0 at the end, nothing and an error number on
    // a failure); unset: the folder's own ReadNext.
    std::function<fw::FolderRead(fw::FolderReader& folder)> readItem;

    // The remote folder the run sends the local root's entries into: an entry's path on the
    // server is this, "/" and its names below the local root.
    std::string remoteRoot;

    // Scans the folder at folderPath (absolute; a trailing "/" is added when missing). Answers
    // false when the folder itself cannot be read: nothing is appended, and RootFailure tells why.
    bool Scan(const std::string& folderPath);

    // Why the folder given to Scan could not be read.
    struct Failure {
        int error = 0;        // the system's error number, when it gave one
        bool noProc = false;  // /proc is not mounted: where the folder lies can't be told
    };
    const Failure& RootFailure() const { return rootFailure_; }

    // Log lines.
    static std::string UnreadableText(const std::string& path);
    static std::string LinkCycleText(const std::string& path);
    static std::string SpecialFileText(const std::string& path);
    static std::string OutsideLinkText(const std::string& path);
    static std::string ReplacedText(const std::string& path);

private:
    // A folder being scanned, open until everything below it has been: its items are read, looked
    // at and the folders below it opened through the descriptor the scan opened it by.
    struct OpenFolder {
        fw::FolderReader reader;
        fw::FileIdentity identity;
    };
    int ScanFolder(OpenFolder& folder, const std::string& path, int32_t depth);
    int ReadFolder(OpenFolder& folder, const std::string& path, std::vector<SyncEntry>& batch);
    std::optional<OpenFolder> OpenSubfolder(const OpenFolder& parent, const SyncEntry& entry);
    bool PastTheBounds(const SyncEntry& entry, int32_t depth);
    void Note(const std::string& line);
    void Yield();

    std::vector<SyncEntry>& tree_;
    std::vector<GroupRun>& runs_;
    int32_t& groupCounter_;
    std::vector<fw::FileIdentity> ancestors_;  // the folders being scanned, root first
    fw::ResolvedFolder root_;                  // the root with its links resolved
    std::string rootPath_;                     // the root as scanned, with a final "/"
    Failure rootFailure_;
};
