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
// merged below.
class TreeMerge {
public:
    TreeMerge(const std::vector<SyncEntry>& local, const std::vector<SyncEntry>& remote)
        : local_(local), remote_(remote) {}

    // Marks an entry: side "Local" or "Remote", reason "Add", "Update" or "Remove".
    std::function<void(int32_t index, const std::string& side, const std::string& reason)> mark;
    // A name that is a file on one side and a folder on the other: neither is marked.
    std::function<void(int32_t localIndex, int32_t remoteIndex)> clash;
    // Merges the runs of two folders of the same name.
    std::function<void(MergeSide local, MergeSide remote)> mergeFolders;
    // Whether the user has asked to stop; once true it must stay true for the whole merge.
    std::function<bool()> cancelled;
    std::function<void()> giveWay;

    void MergeRuns(MergeSide local, MergeSide remote);

private:
    void Advance(const std::vector<SyncEntry>& tree, MergeSide& side) const;
    void MergeFolderPair(const SyncEntry& local, const SyncEntry& remote);

    const std::vector<SyncEntry>& local_;
    const std::vector<SyncEntry>& remote_;
};

// The log line naming a file and a folder of one name, which no run resolves by itself.
std::string KindClashText(const SyncEntry& local, const SyncEntry& remote);

// Spreads the marks of marked folders over everything below them, in one ascending pass (a
// folder's run always stands after the folder). Opaque entries stay unmarked.
void PropagateMarks(std::vector<SyncEntry>& tree, const std::function<void()>& giveWay);
