#pragma once

// Flattened trees built the way the local scan (depth first) and the remote walk (breadth first)
// lay them out, from a nested description, and the whole comparison run over them.

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "compare/ChildCounts.h"
#include "compare/CompareRuns.h"
#include "compare/SyncEntry.h"
#include "compare/TreeMerge.h"

struct Node {
    std::string name;
    std::string kind;  // "d" or "f"
    std::string date;
    std::vector<Node> children;
    bool opaque = false;
};

inline Node F(std::string name, std::string date = "2020/01/01 10:00") {
    return {std::move(name), "f", std::move(date), {}, false};
}
inline Node D(std::string name, std::vector<Node> children = {}) {
    return {std::move(name), "d", "2020/01/01 10:00", std::move(children), false};
}
inline Node Opaque(Node node) {
    node.opaque = true;
    return node;
}

struct FlatTree {
    std::vector<SyncEntry> entries;
    std::vector<GroupRun> runs;
    int32_t lastGroup = -1;

    std::set<std::string> Marked() const {
        std::set<std::string> marked;
        for (const SyncEntry& e : entries)
            if (e.check) marked.insert(e.path);
        return marked;
    }
    const SyncEntry* Find(const std::string& path) const {
        for (const SyncEntry& e : entries)
            if (e.path == path) return &e;
        return nullptr;
    }
};

namespace treebuilder {

inline std::vector<SyncEntry> Batch(const std::vector<Node>& nodes, const std::string& parent,
                                    int32_t group, bool local) {
    std::vector<SyncEntry> batch;
    for (const Node& n : nodes) {
        SyncEntry e;
        e.name = n.name;
        e.kind = n.kind;
        e.size = n.kind == "d" ? "-" : "1 bytes";
        e.date = n.date;
        e.path = parent + (local ? "" : "/") + n.name + (local && n.kind == "d" ? "/" : "");
        e.group = group;
        e.opaque = n.opaque;
        batch.push_back(e);
    }
    return batch;
}

inline const Node* FindChild(const std::vector<Node>& nodes, const SyncEntry& e) {
    for (const Node& n : nodes)
        if (n.name == e.name && n.kind == e.kind) return &n;
    return nullptr;
}

inline void ScanInto(FlatTree& t, const std::vector<Node>& nodes, const std::string& path) {
    std::vector<SyncEntry> batch = Batch(nodes, path, ++t.lastGroup, true);
    size_t first = t.entries.size();
    AppendSortedRun(t.entries, t.runs, batch, t.lastGroup);
    size_t last = t.entries.size();
    for (size_t k = first; k < last; ++k) {
        if (t.entries[k].kind != "d") continue;
        t.entries[k].child = static_cast<int32_t>(t.entries.size());
        const Node* n = FindChild(nodes, t.entries[k]);
        if (!t.entries[k].opaque) ScanInto(t, n->children, t.entries[k].path);
    }
}

}  // namespace treebuilder

// Depth first, each folder's run followed by everything below it; paths end in "/" for folders.
inline FlatTree LocalTree(const std::vector<Node>& root, const std::string& rootPath = "/l/") {
    FlatTree t;
    treebuilder::ScanInto(t, root, rootPath);
    CountChildren(t.entries, t.runs, TreeSide::Local);
    return t;
}

// Breadth first, one listing per folder in the order the folders stand; paths joined with "/".
inline FlatTree RemoteTree(const std::vector<Node>& root, const std::string& rootPath = "/r") {
    FlatTree t;
    std::vector<SyncEntry> batch = treebuilder::Batch(root, rootPath, ++t.lastGroup, false);
    AppendSortedRun(t.entries, t.runs, batch, t.lastGroup);
    for (size_t cursor = 0; cursor < t.entries.size(); ++cursor) {
        SyncEntry& e = t.entries[cursor];
        if (e.kind != "d") continue;
        e.child = static_cast<int32_t>(t.entries.size());
        if (e.opaque) continue;
        // The node of this folder: find it by walking its path from the root.
        std::string rest = e.path.substr(rootPath.size() + 1);
        const std::vector<Node>* level = &root;
        const Node* node = nullptr;
        while (true) {
            size_t slash = rest.find('/');
            std::string name = rest.substr(0, slash);
            for (const Node& n : *level)
                if (n.name == name && n.kind == "d") node = &n;
            if (slash == std::string::npos) break;
            level = &node->children;
            rest = rest.substr(slash + 1);
        }
        std::vector<SyncEntry> listing =
            treebuilder::Batch(node->children, e.path, ++t.lastGroup, false);
        AppendSortedRun(t.entries, t.runs, listing, t.lastGroup);
    }
    CountChildren(t.entries, t.runs, TreeSide::Remote);
    return t;
}

// The merge of both trees from their roots, depth first, then the propagation of the marks.
inline void MergeTrees(FlatTree& local, FlatTree& remote, std::function<bool()> cancelled = {}) {
    TreeMerge merge(local.entries, remote.entries);
    merge.mark = [&](int32_t index, const std::string& side, const std::string&) {
        (side == "Local" ? local : remote).entries[static_cast<size_t>(index)].check = true;
    };
    merge.mergeFolders = [&](MergeSide l, MergeSide r) { merge.MergeRuns(l, r); };
    merge.cancelled = std::move(cancelled);
    merge.MergeRuns({0, local.entries.empty(), 0}, {0, remote.entries.empty(), 0});
    PropagateMarks(local.entries, {});
    PropagateMarks(remote.entries, {});
}
