#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fw {

// One row of a list box: its cells, their kinds and its place in the hierarchy.
struct ListBoxRow {
    std::vector<std::string> cells;  // grown on demand; missing cells read as empty
    std::vector<uint8_t> marks;      // per column: cell type in the low bits, kCheckedBit
    int32_t depth = 0;
    bool folder = false;
    bool expanded = false;

    static constexpr uint8_t kCheckedBit = 0x80;
    static constexpr uint8_t kTypeMask = 0x7F;
};

// The rows of a list box in the order they are shown, in a gap buffer: the free space sits where
// the last row went in. Rows that arrive one after another at the same place (a folder's entries
// below it, a fill at the end) cost a constant each, wherever that place is; only moving the gap
// to a new place costs the distance.
class ListBoxRowStore {
public:
    int32_t Size() const { return static_cast<int32_t>(buffer_.size() - (gapEnd_ - gapStart_)); }
    bool Contains(int32_t row) const { return row >= 0 && row < Size(); }

    ListBoxRow& At(int32_t row) { return buffer_[Slot(row)]; }
    const ListBoxRow& At(int32_t row) const { return buffer_[Slot(row)]; }

    void Insert(int32_t row, ListBoxRow value);
    void Erase(int32_t first, int32_t count);
    void Clear();

private:
    size_t Slot(int32_t row) const {
        size_t i = static_cast<size_t>(row);
        return i < gapStart_ ? i : i + (gapEnd_ - gapStart_);
    }
    void MoveGapTo(size_t position);
    void Grow();

    std::vector<ListBoxRow> buffer_;
    size_t gapStart_ = 0;
    size_t gapEnd_ = 0;
};

}  // namespace fw
