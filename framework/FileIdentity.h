#pragma once

#include <cstdint>

namespace fw {

// Which file or folder something is, whatever names lead to it: its device and inode. What is
// looked at once can later be held to it.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

}  // namespace fw
