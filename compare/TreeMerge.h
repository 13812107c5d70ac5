#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "compare/SyncEntry.h"

// One side of a merge: the current entry of a run, the run's group, and whether the side is
// exhausted (then index and group are not read).
struct MergeSide {
    int32_t index = 0;
    bool done = true;
    int32_t group = 0;
};

// The merge of one local run with one remote run, matching names in the order of CompareNames:
// a name found only locally is marked "Add", only remotely "Remove", a local file whose date text
// is the greater "Update"; a file against a folder of the same name is a clash, marked on
// neither side; two folders of one name have their own runs merged through
// mergeFolders, depth first. Opaque entries are matched by name but never marked and never
// merged below. A name found only remotely is kept (not marked, reported through kept) when a
// name found only locally differs from it in case alone, since a server that folds case would
// take the upload of the one for the other and then delete it; and when the listing names it
// twice, since deleting the second would delete the first.
class TreeMerge {
public:
    TreeMerge(const std::vector<SyncEntry>& local, const std::vector<SyncEntry>& remote)
        : local_(local), remote_(remote) {}

    // Marks an entry: side "Local" or "Remote", reason "Add", "Update" or "Remove".
    std::function<void(int32_t index, const std::string& side, const std::string& reason)> mark;
    // A name that is a file on one side and a folder on the other: neither is marked.
    std::function<void(int32_t localIndex, int32_t remoteIndex)> clash;
    // A remote entry found only remotely that is not marked for removal: localIndex is the local
    // entry whose name differs from it in case alone, or -1 when the listing names it twice.
    std::function<void(int32_t remoteIndex, int32_t localIndex)> kept;
    // Merges the runs of two folders of the same name.
    std::function<void(MergeSide local, MergeSide remote)> mergeFolders;
    // Whether the user has asked to stop; once true it must stay true for the whole merge.
    std::function<bool()> cancelled;
    std::function<void()> giveWay;

    void MergeRuns(MergeSide local, MergeSide remote);

private:
    void Advance(const std::vector<SyncEntry>& tree, MergeSide& side) const;
    void MergeFolderPair(const SyncEntry& local, const SyncEntry& remote);
    void MarkRemovals(const std::vector<int32_t>& removals, const std::vector<int32_t>& additions);

    const std::vector<SyncEntry>& local_;
    const std::vector<SyncEntry>& remote_;
};

// The log line naming a file and a folder of one name, which no run resolves by itself.
std::string KindClashText(const SyncEntry& local, const SyncEntry& remote);
// The log line naming a remote entry kept from removal; local is null for a name listed twice.
std::string KeptRemoteText(const SyncEntry& remote, const SyncEntry* local);

// Spreads the marks of marked folders over everything below them, in one ascending pass (a
// folder's run always stands after the folder). Opaque entries stay unmarked.
void PropagateMarks(std::vector<SyncEntry>& tree, const std::function<void()>& giveWay);
