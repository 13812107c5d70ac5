#pragma once

#include <cstdint>
#include <string>

namespace fw {

// A block of bytes of a given size.
class MemoryBlock {
public:
    MemoryBlock() = default;
    explicit MemoryBlock(int64_t size) : bytes_(static_cast<size_t>(size), '\0') {}
    static MemoryBlock FromBytes(std::string bytes) {
        MemoryBlock b;
        b.bytes_ = std::move(bytes);
        return b;
    }

    int64_t Size() const { return static_cast<int64_t>(bytes_.size()); }
    // Copies bytes in at offset; the block grows when they reach past its end.
    void SetStringValue(int64_t offset, const std::string& bytes) {
        if (offset + static_cast<int64_t>(bytes.size()) > Size())
            bytes_.resize(static_cast<size_t>(offset) + bytes.size(), '\0');
        bytes_.replace(static_cast<size_t>(offset), bytes.size(), bytes);
    }
    std::string StringValue(int64_t offset, int64_t length) const {
        return bytes_.substr(static_cast<size_t>(offset), static_cast<size_t>(length));
    }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

}  // namespace fw
