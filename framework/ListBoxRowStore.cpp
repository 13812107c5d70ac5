#include "ListBoxRowStore.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace fw {

size_t ListBoxRow::CellCount() const {
    if (data_.size() < kCountBytes) return 0;
    uint16_t count;
    std::memcpy(&count, data_.data(), sizeof count);
    return count;
}

uint32_t ListBoxRow::End(size_t column) const {
    uint32_t end;
    std::memcpy(&end, data_.data() + kCountBytes + column * kSlotBytes + 1, sizeof end);
    return end;
}

void ListBoxRow::SetEnd(size_t column, uint32_t end) {
    std::memcpy(data_.data() + kCountBytes + column * kSlotBytes + 1, &end, sizeof end);
}

std::string_view ListBoxRow::Cell(size_t column) const {
    if (column >= CellCount()) return {};
    const uint32_t start = column == 0 ? 0 : End(column - 1);
    return std::string_view(data_).substr(TextsStart() + start, End(column) - start);
}

uint8_t ListBoxRow::Mark(size_t column) const {
    if (column >= CellCount()) return 0;
    return static_cast<uint8_t>(data_[kCountBytes + column * kSlotBytes]);
}

void ListBoxRow::SetMark(size_t column, uint8_t mark) {
    GrowTo(column + 1);
    data_[kCountBytes + column * kSlotBytes] = static_cast<char>(mark);
}

void ListBoxRow::SetCell(size_t column, std::string_view text) {
    GrowTo(column + 1);
    const uint32_t start = column == 0 ? 0 : End(column - 1);
    const uint32_t end = End(column);
    data_.replace(TextsStart() + start, end - start, text);
    const int64_t delta = static_cast<int64_t>(text.size()) - (end - start);
    for (size_t c = column; c < CellCount(); ++c) SetEnd(c, static_cast<uint32_t>(End(c) + delta));
}

// New cells are empty: their slots go in before the texts, each ending where the texts end.
void ListBoxRow::GrowTo(size_t count) {
    const size_t old = CellCount();
    if (count <= old) return;
    const uint32_t textsEnd = old == 0 ? 0 : End(old - 1);
    if (data_.empty()) data_.assign(kCountBytes, '\0');
    std::string slots((count - old) * kSlotBytes, '\0');
    for (size_t i = 0; i < count - old; ++i)
        std::memcpy(slots.data() + i * kSlotBytes + 1, &textsEnd, sizeof textsEnd);
    data_.insert(kCountBytes + old * kSlotBytes, slots);
    const uint16_t newCount = static_cast<uint16_t>(count);
    std::memcpy(data_.data(), &newCount, sizeof newCount);
}

void ListBoxRowStore::Insert(int32_t row, ListBoxRow value) {
    if (gapStart_ == gapEnd_) Grow();
    MoveGapTo(static_cast<size_t>(row));
    buffer_[gapStart_++] = std::move(value);
}

void ListBoxRowStore::Erase(int32_t first, int32_t count) {
    MoveGapTo(static_cast<size_t>(first));
    for (size_t i = gapEnd_; i < gapEnd_ + static_cast<size_t>(count); ++i) buffer_[i] = {};
    gapEnd_ += static_cast<size_t>(count);
}

void ListBoxRowStore::Clear() {
    std::vector<ListBoxRow>().swap(buffer_);
    gapStart_ = gapEnd_ = 0;
}

void ListBoxRowStore::MoveGapTo(size_t position) {
    if (position < gapStart_) {
        size_t n = gapStart_ - position;
        std::move_backward(buffer_.begin() + static_cast<std::ptrdiff_t>(position),
                           buffer_.begin() + static_cast<std::ptrdiff_t>(gapStart_),
                           buffer_.begin() + static_cast<std::ptrdiff_t>(gapEnd_));
        gapStart_ -= n;
        gapEnd_ -= n;
    } else if (position > gapStart_) {
        size_t n = position - gapStart_;
        std::move(buffer_.begin() + static_cast<std::ptrdiff_t>(gapEnd_),
                  buffer_.begin() + static_cast<std::ptrdiff_t>(gapEnd_ + n),
                  buffer_.begin() + static_cast<std::ptrdiff_t>(gapStart_));
        gapStart_ += n;
        gapEnd_ += n;
    }
}

void ListBoxRowStore::Grow() {
    size_t size = static_cast<size_t>(Size());
    size_t capacity = std::max<size_t>(64, size * 2);
    std::vector<ListBoxRow> grown(capacity);
    size_t tail = buffer_.size() - gapEnd_;
    std::move(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(gapStart_),
              grown.begin());
    std::move(buffer_.begin() + static_cast<std::ptrdiff_t>(gapEnd_), buffer_.end(),
              grown.end() - static_cast<std::ptrdiff_t>(tail));
    buffer_.swap(grown);
    gapEnd_ = capacity - tail;
}

}  // namespace fw
