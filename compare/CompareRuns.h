#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compare/SyncEntry.h"

// Where the run of one group stands in its flattened tree: the direct entries of one scanned
// folder or of one listing, consecutive and sorted by name.
struct GroupRun {
    int32_t first = 0;
    int32_t count = 0;
};

// The comparison of names: without regard to case first, then byte for byte. The batch sort
// orders each run by it, and the merge matches names by it; it answers 0 only for equal bytes.
int CompareNames(const std::string& a, const std::string& b);

// Appends the batch to the tree as the run of `group`, sorted by name (equal names keep their
// order), and records the run in runs (indexed by group number). The batch's records are moved
// whole, but for what only the tree gives them (child, childCount, sync), which starts afresh.
// The batch is left empty.
void AppendSortedRun(std::vector<SyncEntry>& tree, std::vector<GroupRun>& runs,
                     std::vector<SyncEntry>& batch, int32_t group);

// The run of a group; an empty run for a group that has none.
GroupRun RunOf(const std::vector<GroupRun>& runs, int32_t group);
