#pragma once

#include <string_view>
#include <vector>

#include "compare/CompareRuns.h"
#include "compare/SyncEntry.h"

enum class TreeSide { Local, Remote };

// Whether childPath names an item directly inside the folder folderPath: the folder's path, "/"
// and one name, byte for byte ("Img" is not "img"). On the local side a closing "/" (a folder's)
// is left out of both paths first.
bool IsDirectChild(TreeSide side, std::string_view folderPath, std::string_view childPath);

// Sets childCount on every folder of the tree from the size of its run, 0 for a folder without
// entries (its child then points at another folder's run, which the path test tells apart) and
// for an opaque one.
void CountChildren(std::vector<SyncEntry>& tree, const std::vector<GroupRun>& runs, TreeSide side);
