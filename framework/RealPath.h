#pragma once

#include <string>

namespace fw {

// Where an open file or folder is, read from its descriptor (/proc/self/fd): the path the system
// gives it now, every link resolved, without a trailing "/". What the descriptor reads and where
// it lies are thus one look, whatever its path leads to by the time a second look is taken. ""
// when that can't be told: no /proc, or a file that is no longer named anywhere.
std::string RealPathOf(int fd);

// Whether the system tells where open files are (/proc is mounted): without it RealPathOf knows
// no path at all.
bool RealPathsKnown();

// Whether a real path is the folder itself or lies below it (both absolute, as RealPathOf gives
// them; everything lies within "/").
bool LiesWithin(const std::string& path, const std::string& folder);

}  // namespace fw
