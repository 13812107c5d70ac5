#include "LocalLook.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "LocalOpen.h"
#include "RealPath.h"

namespace fw {

namespace {

LookedKind KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return LookedKind::Folder;
    if (S_ISREG(mode)) return LookedKind::File;
    if (S_ISLNK(mode)) return LookedKind::Link;
    return LookedKind::Other;
}

std::optional<Look> Looked(int result, const struct stat& st, int* error) {
    if (result != 0) {
        if (error) *error = errno;
        return std::nullopt;
    }
    return Look{{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)},
                KindOf(st.st_mode),
                static_cast<int64_t>(st.st_size),
                static_cast<int64_t>(st.st_mtime)};
}

}  // namespace

std::optional<Look> LookAt(const FileDescriptor& fd, int* error) {
    if (!fd) return std::nullopt;
    struct stat st;
    return Looked(::fstat(fd.Get(), &st), st, error);
}

std::optional<Look> LookAtItem(const FileDescriptor& folder, const std::string& name, int* error) {
    struct stat st;
    return Looked(::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW), st, error);
}

std::optional<Look> LookAtPath(const std::string& path) {
    struct stat st;
    return Looked(::stat(path.c_str(), &st), st, nullptr);
}

ResolvedFolder ResolvedFolder::Of(const FileDescriptor& folder) {
    ResolvedFolder resolved;
    resolved.real_ = RealPathOf(folder.Get());
    return resolved;
}

ResolvedFolder ResolvedFolder::AtPath(const std::string& path) {
    return path.empty() ? ResolvedFolder() : Of(ReachFolderAt(path));
}

ResolvedFolder::Place ResolvedFolder::PlaceOf(const FileDescriptor& fd) const {
    const std::string real = RealPathOf(fd.Get());
    if (real_.empty() || real.empty()) return Place::Unknown;
    return LiesWithin(real, real_) ? Place::Inside : Place::Outside;
}

LookVerdict Judge(const FileDescriptor& fd, const std::optional<Look>& looked,
                  const ResolvedFolder* within, Look* seen) {
    const std::optional<Look> now = LookAt(fd);
    if (!now) return LookVerdict::Unreadable;
    if (seen) *seen = *now;
    const ResolvedFolder::Place place =
        within ? within->PlaceOf(fd) : ResolvedFolder::Place::Inside;
    if (place == ResolvedFolder::Place::Unknown) return LookVerdict::Unreadable;
    if (looked && (now->identity != looked->identity || now->kind != looked->kind))
        return LookVerdict::Replaced;
    return place == ResolvedFolder::Place::Outside ? LookVerdict::Outside : LookVerdict::Same;
}

}  // namespace fw
