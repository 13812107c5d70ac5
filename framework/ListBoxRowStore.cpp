#include "ListBoxRowStore.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace fw {

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
