#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// One row of a list box: its cells, their kinds and its place in the hierarchy. The texts and
// marks of all its cells share one block of memory: a list of a hundred thousand rows of seven
// cells then costs a hundred thousand allocations, not several per row, and stays compact.
class ListBoxRow {
public:
    int32_t depth = 0;
    bool folder = false;
    bool expanded = false;

    // A cell's mark: its type in the low bits, and whether its check box is ticked.
    static constexpr uint8_t kCheckedBit = 0x80;
    static constexpr uint8_t kTypeMask = 0x7F;

    // Cells beyond the last one written read as empty, with mark 0; writing one grows the row.
    size_t CellCount() const;
    std::string_view Cell(size_t column) const;
    void SetCell(size_t column, std::string_view text);
    uint8_t Mark(size_t column) const;
    void SetMark(size_t column, uint8_t mark);

private:
    // data_: the number of cells (2 bytes), then for each cell its mark (1 byte) and the end of
    // its text (4 bytes) in the texts that follow, all of them one after another.
    static constexpr size_t kCountBytes = 2;
    static constexpr size_t kSlotBytes = 5;
    size_t TextsStart() const { return kCountBytes + CellCount() * kSlotBytes; }
    uint32_t End(size_t column) const;
    void SetEnd(size_t column, uint32_t end);
    void GrowTo(size_t count);

    std::string data_;
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
