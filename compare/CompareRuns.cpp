#include "compare/CompareRuns.h"

#include <algorithm>
#include <numeric>

#include "framework/Strings.h"

namespace {

bool Ascii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

unsigned char Folded(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Two plain ASCII names compare as the text mode compares them, without converting them:
// letter by letter with capitals folded, then the shorter first.
int FoldedOrder(const std::string& a, const std::string& b) {
    if (!Ascii(a) || !Ascii(b)) return fw::StrCompText(a, b);
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = Folded(static_cast<unsigned char>(a[i]));
        const unsigned char y = Folded(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

int CompareNames(const std::string& a, const std::string& b) {
    // Case-folded first, for an order that reads well; the bytes break the ties, so two names
    // are one name only when their bytes are equal, as they are on Linux and on the server.
    const int folded = FoldedOrder(a, b);
    return folded != 0 ? folded : fw::StrCompBytes(a, b);
}

void AppendSortedRun(std::vector<SyncEntry>& tree, std::vector<GroupRun>& runs,
                     std::vector<SyncEntry>& batch, int32_t group) {
    std::vector<size_t> order(batch.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return CompareNames(batch[a].name, batch[b].name) < 0;
    });
    if (group >= 0) {
        if (runs.size() <= static_cast<size_t>(group)) runs.resize(static_cast<size_t>(group) + 1);
        runs[static_cast<size_t>(group)] = {static_cast<int32_t>(tree.size()),
                                            static_cast<int32_t>(batch.size())};
    }
    const SyncEntry fresh;
    for (size_t k : order) {
        SyncEntry entry = std::move(batch[k]);
        // What only the tree gives an entry starts afresh: its place among its folder's entries
        // and a run's mark.
        entry.child = fresh.child;
        entry.childCount = fresh.childCount;
        entry.sync = fresh.sync;
        tree.push_back(std::move(entry));
    }
    batch.clear();
}

GroupRun RunOf(const std::vector<GroupRun>& runs, int32_t group) {
    if (group < 0 || static_cast<size_t>(group) >= runs.size()) return {};
    return runs[static_cast<size_t>(group)];
}
