#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// How far the comparison goes into either tree. A folder more levels below its root than this
// (the root's own entries are one level down), or whose path on the server would be longer, is
// left out of the comparison, with a line in the log: its path is more than a server takes on a
// command line, and a deep enough tree would hold the whole comparison up. Nothing below it is
// uploaded or deleted.
constexpr int32_t kMaxTreeDepth = 64;
constexpr size_t kMaxRemotePathBytes = 4096;

// The log's lines for a folder left out so, by the path the comparison knows it by.
std::string TooDeepText(const std::string& path);
std::string TooLongText(const std::string& path);
