#include "FolderReader.h"

#include <dirent.h>

#include <cerrno>

namespace fw {

struct FolderReader::Listing {
    explicit Listing(DIR* d) : dir(d) {}
    ~Listing() { ::closedir(dir); }
    DIR* dir;
};

FolderReader::FolderReader() = default;

FolderReader::FolderReader(FileDescriptor folder) : folder_(std::move(folder)) {}

FolderReader::~FolderReader() {
    if (listing_) folder_.Release();  // closed with the listing
}

FolderReader::FolderReader(FolderReader&& other) noexcept
    : folder_(std::move(other.folder_)), listing_(std::move(other.listing_)) {}

FolderReader& FolderReader::operator=(FolderReader&& other) noexcept {
    if (this != &other) {
        if (listing_) folder_.Release();
        listing_.reset();
        folder_ = std::move(other.folder_);
        listing_ = std::move(other.listing_);
    }
    return *this;
}

FolderRead FolderReader::ReadNext() {
    if (!listing_) {
        errno = 0;
        DIR* dir = folder_ ? ::fdopendir(folder_.Get()) : nullptr;
        if (!dir) return {std::nullopt, errno != 0 ? errno : EIO};
        listing_ = std::make_unique<Listing>(dir);
    }
    errno = 0;
    if (const struct dirent* item = ::readdir(listing_->dir)) return {item->d_name, 0};
    return {std::nullopt, errno};
}

}  // namespace fw
