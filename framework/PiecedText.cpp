#include "PiecedText.h"

#include <algorithm>

namespace fw {

void PiecedText::Append(std::string_view text) {
    if (text.empty()) return;
    if (pieces_.empty() || pieces_.back().size() + text.size() > kPieceBytes) {
        starts_.push_back(size_);
        pieces_.emplace_back();
    }
    pieces_.back() += text;
    size_ += text.size();
}

void PiecedText::Clear() {
    pieces_.clear();
    starts_.clear();
    size_ = 0;
}

std::string_view PiecedText::Stretch(size_t from, size_t upTo) const {
    if (from >= upTo || from >= size_) return {};
    const auto piece = std::upper_bound(starts_.begin(), starts_.end(), from) - starts_.begin() - 1;
    const size_t start = starts_[static_cast<size_t>(piece)];
    return std::string_view(pieces_[static_cast<size_t>(piece)]).substr(from - start, upTo - from);
}

std::string PiecedText::Joined() const {
    std::string all;
    all.reserve(size_);
    for (const std::string& piece : pieces_) all += piece;
    return all;
}

}  // namespace fw
