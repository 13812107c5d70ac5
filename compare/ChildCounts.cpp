#include "compare/ChildCounts.h"

namespace {

// A local folder's path, and a local child folder's, end in "/": the test reads both without it.
std::string_view Comparable(TreeSide side, std::string_view path) {
    if (side == TreeSide::Local && !path.empty() && path.back() == '/') path.remove_suffix(1);
    return path;
}

}  // namespace

bool IsDirectChild(TreeSide side, std::string_view folderPath, std::string_view childPath) {
    const std::string_view folder = Comparable(side, folderPath);
    const std::string_view child = Comparable(side, childPath);
    // The folder's path, "/", then one name without a "/".
    if (child.size() <= folder.size() || child.substr(0, folder.size()) != folder ||
        child[folder.size()] != '/')
        return false;
    return child.find('/', folder.size() + 1) == std::string_view::npos;
}

void CountChildren(std::vector<SyncEntry>& tree, const std::vector<GroupRun>& runs, TreeSide side) {
    const int32_t size = static_cast<int32_t>(tree.size());
    for (SyncEntry& folder : tree) {
        if (folder.kind != "d") continue;
        folder.childCount = 0;
        const int32_t c = folder.child;
        if (folder.opaque || c < 0 || c >= size) continue;
        const SyncEntry& first = tree[static_cast<size_t>(c)];
        if (!IsDirectChild(side, folder.path, first.path)) continue;
        GroupRun run = RunOf(runs, first.group);
        if (run.first == c) {
            folder.childCount = run.count;
        } else {  // no recorded run: count it where it stands
            int32_t j = c;
            while (j < size && tree[static_cast<size_t>(j)].group == first.group) ++j;
            folder.childCount = j - c;
        }
    }
}
