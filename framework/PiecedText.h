#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fw {

// Text that grows at its end without moving what it holds: its bytes are kept in pieces of about
// kPieceBytes, each append whole in one piece (a longer one is a piece of its own). A log of
// megabytes kept in one string moved all of it whenever it outgrew its room, 16 MiB at once.
class PiecedText {
public:
    static constexpr size_t kPieceBytes = size_t{1} << 20;

    size_t Size() const { return size_; }
    void Append(std::string_view text);
    void Clear();
    // The bytes from `from` up to `upTo` or to the end of the piece that holds `from`, whichever
    // comes first: empty only when from has reached upTo or the end.
    std::string_view Stretch(size_t from, size_t upTo) const;
    // The byte at `at`, which lies before the end.
    char At(size_t at) const { return Stretch(at, at + 1).front(); }
    // All of it in one string.
    std::string Joined() const;

private:
    std::vector<std::string> pieces_;
    std::vector<size_t> starts_;  // where each piece begins
    size_t size_ = 0;
};

}  // namespace fw
