#include "compare/TreeMerge.h"

#include <algorithm>
#include <unordered_map>

#include "compare/CompareRuns.h"
#include "framework/Strings.h"

namespace {

const SyncEntry& At(const std::vector<SyncEntry>& tree, int32_t index) {
    return tree[static_cast<size_t>(index)];
}

}  // namespace

void TreeMerge::Advance(const std::vector<SyncEntry>& tree, MergeSide& side) const {
    side.done = true;
    const int32_t next = side.index + 1;
    if (next < static_cast<int32_t>(tree.size()) && At(tree, next).group == side.group) {
        side.index = next;
        side.done = false;
    }
}

void TreeMerge::MergeFolderPair(const SyncEntry& local, const SyncEntry& remote) {
    if (local.opaque || remote.opaque) return;
    MergeSide l, r;
    if (local.childCount > 0) l = {local.child, false, At(local_, local.child).group};
    if (remote.childCount > 0) r = {remote.child, false, At(remote_, remote.child).group};
    if (l.done && r.done) return;
    if (mergeFolders) mergeFolders(l, r);
}

void TreeMerge::MarkRemovals(const std::vector<int32_t>& removals,
                             const std::vector<int32_t>& additions) {
    std::unordered_map<std::string, int32_t> added;  // folded name -> local entry
    if (!removals.empty())
        for (int32_t index : additions)
            added.emplace(fw::CaseFolded(At(local_, index).name), index);
    for (int32_t index : removals) {
        const auto twin =
            added.empty() ? added.end() : added.find(fw::CaseFolded(At(remote_, index).name));
        if (twin == added.end()) {
            if (mark) mark(index, "Remote", "Remove");
        } else if (kept) {
            kept(index, twin->second);
        }
    }
}

void TreeMerge::MergeRuns(MergeSide l, MergeSide r) {
    // A side that has no entry at its index is empty, whatever the caller said.
    if (!l.done && (l.index < 0 || l.index >= static_cast<int32_t>(local_.size()))) l.done = true;
    if (!r.done && (r.index < 0 || r.index >= static_cast<int32_t>(remote_.size()))) r.done = true;
    // Removals wait for the end of the run, when every name found only locally is known.
    std::vector<int32_t> additions, removals;
    auto markAdd = [&] {
        const SyncEntry& e = At(local_, l.index);
        if (e.group != l.group || e.opaque) return;
        if (mark) mark(l.index, "Local", "Add");
        additions.push_back(l.index);
    };
    auto markRemove = [&] {
        const SyncEntry& e = At(remote_, r.index);
        if (e.group != r.group || e.opaque) return;
        const int32_t before = r.index - 1;
        if (before >= 0 && At(remote_, before).group == e.group &&
            At(remote_, before).name == e.name) {
            if (kept) kept(r.index, -1);
            return;
        }
        removals.push_back(r.index);
    };
    while (true) {
        if (l.done && r.done) {
            MarkRemovals(removals, additions);
            return;
        }
        if (l.done) {
            markRemove();
            Advance(remote_, r);
        } else if (r.done) {
            markAdd();
            Advance(local_, l);
        } else {
            const SyncEntry& le = At(local_, l.index);
            const SyncEntry& re = At(remote_, r.index);
            const int order = CompareNames(le.name, re.name);
            if (order < 0) {
                markAdd();
                Advance(local_, l);
            } else if (order > 0) {
                markRemove();
                Advance(remote_, r);
            } else {
                if (le.kind == "d" && re.kind == "d") {
                    MergeFolderPair(le, re);
                } else if (le.kind != re.kind) {
                    if (clash) clash(l.index, r.index);
                } else if (le.kind == "f" && re.kind == "f" && !le.opaque && !re.opaque &&
                           fw::StrCompBytes(le.date, re.date) > 0 && mark) {
                    mark(l.index, "Local", "Update");
                }
                Advance(local_, l);
                Advance(remote_, r);
            }
        }
        if (cancelled && cancelled()) return;
        if (giveWay) giveWay();
    }
}

std::string KindClashText(const SyncEntry& local, const SyncEntry& remote) {
    auto kind = [](const SyncEntry& e) { return e.kind == "d" ? "フォルダ" : "ファイル"; };
    return std::string("ローカルとサーバーでファイルとフォルダが食い違うため同期しません: ") +
           local.path + "（" + kind(local) + "） / " + remote.path + "（" + kind(remote) + "）";
}

std::string KeptRemoteText(const SyncEntry& remote, const SyncEntry* local) {
    if (!local) return "サーバーの一覧に同じ名前が二度あるため削除しません: " + remote.path;
    return "ローカルの名前と大文字・小文字だけが異なるため削除しません: " + remote.path +
           "（ローカル: " + local->path + "）";
}

void PropagateMarks(std::vector<SyncEntry>& tree, const std::function<void()>& giveWay) {
    for (size_t i = 0; i < tree.size(); ++i) {
        const SyncEntry& folder = tree[i];
        if (folder.kind == "d" && folder.check && !folder.opaque && folder.child >= 0 &&
            folder.childCount > 0) {
            const size_t end = std::min(tree.size(), static_cast<size_t>(folder.child) +
                                                         static_cast<size_t>(folder.childCount));
            for (size_t j = static_cast<size_t>(folder.child); j < end; ++j) {
                if (!tree[j].opaque) tree[j].check = true;
                if (giveWay) giveWay();
            }
        }
        if (giveWay) giveWay();
    }
}
