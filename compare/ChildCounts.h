#pragma once

#include <string_view>
#include <vector>

#include "compare/CompareRuns.h"
#include "compare/SyncEntry.h"

enum class TreeSide { Local, Remote };

// Whether childPath names an item directly inside the folder folderPath. Both are split at "/",
// keeping empty elements; on the local side a trailing empty element (a folder's closing "/") is
// dropped from each. The child must have exactly one element more, and the shared elements must
// be equal byte for byte: "Img" is not "img".
bool IsDirectChild(TreeSide side, std::string_view folderPath, std::string_view childPath);

// Sets childCount on every folder of the tree from the size of its run, 0 for a folder without
// entries (its child then points at another folder's run, which the path test tells apart) and
// for an opaque one.
void CountChildren(std::vector<SyncEntry>& tree, const std::vector<GroupRun>& runs, TreeSide side);
