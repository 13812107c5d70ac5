#include "sync/WorkListOrder.h"

#include <algorithm>
#include <utility>

#include "framework/Strings.h"

void SortWorkList(std::vector<int32_t>& list, const std::function<std::string(int32_t)>& keyOf,
                  WorkListOrder order) {
    std::vector<std::pair<std::string, int32_t>> keyed;
    keyed.reserve(list.size());
    for (int32_t index : list) keyed.emplace_back(keyOf(index), index);
    const bool ascending = order == WorkListOrder::Ascending;
    std::stable_sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
        const int c = fw::StrCompBytes(a.first, b.first);
        return ascending ? c < 0 : c > 0;
    });
    for (size_t i = 0; i < keyed.size(); ++i) list[i] = keyed[i].second;
}
