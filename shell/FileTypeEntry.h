#pragma once

#include <string>

// One entry of the file-type table: an extension (without the dot, case kept) and its transfer
// type, "A" text or "I" binary, as loaded.
struct FileTypeEntry {
    std::string ext;
    std::string bin;
};
