#pragma once

#include <cstdint>
#include <string>

// The display text of a file's size, the same in both trees: up to 1000 bytes the number and
// " bytes"; up to 1000000 the size in KB (1024) with one decimal; above that in MB (1048576).
std::string SizeText(int64_t bytes);
