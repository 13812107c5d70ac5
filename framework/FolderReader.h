#pragma once

#include <memory>
#include <optional>
#include <string>

#include "FileDescriptor.h"

namespace fw {

// One step of reading a folder: the next item's name, or none at the end (error 0) or after a
// failure (error: the system's error number).
struct FolderRead {
    std::optional<std::string> name;
    int error = 0;
};

// A folder's items, read through the descriptor it was opened by, which goes on naming the folder
// for looking at its items and opening the folders in it.
class FolderReader {
public:
    FolderReader();
    explicit FolderReader(FileDescriptor folder);
    ~FolderReader();
    FolderReader(FolderReader&&) noexcept;
    FolderReader& operator=(FolderReader&&) noexcept;

    const FileDescriptor& Descriptor() const { return folder_; }
    // The next item, "." and ".." included, in the order the system gives them.
    FolderRead ReadNext();

private:
    struct Listing;
    FileDescriptor folder_;
    std::unique_ptr<Listing> listing_;  // from the first read on, the descriptor's owner
};

}  // namespace fw
