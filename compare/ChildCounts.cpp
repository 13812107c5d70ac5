#include "compare/ChildCounts.h"

namespace {

std::vector<std::string_view> PathElements(TreeSide side, std::string_view path) {
    std::vector<std::string_view> elements;
    size_t start = 0;
    while (true) {
        size_t slash = path.find('/', start);
        if (slash == std::string_view::npos) {
            elements.push_back(path.substr(start));
            break;
        }
        elements.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    if (side == TreeSide::Local && elements.size() > 1 && elements.back().empty())
        elements.pop_back();
    return elements;
}

}  // namespace

bool IsDirectChild(TreeSide side, std::string_view folderPath, std::string_view childPath) {
    std::vector<std::string_view> folder = PathElements(side, folderPath);
    std::vector<std::string_view> child = PathElements(side, childPath);
    if (child.size() != folder.size() + 1) return false;
    for (size_t i = 0; i < folder.size(); ++i)
        if (folder[i] != child[i]) return false;
    return true;
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
