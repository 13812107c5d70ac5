#include "FolderItem.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStandardPaths>
#include <algorithm>

#include "LocalLook.h"
#include "LocalOpen.h"
#include "Streams.h"

namespace fw {

namespace {

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool Stat(const std::string& path, struct stat& st) {
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

// The whole content of an open file, or false on a read error.
bool ReadWhole(int fd, std::string& out) {
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        out.append(buffer, static_cast<size_t>(n));
    }
}

// A regular file opened for reading, or -1. The kind is checked before the open, and the open
// never waits: a named pipe without a writer, or a device, would hold the caller for good.
int OpenForReading(const std::string& path, struct stat& st) {
    if (!Stat(path, st) || !S_ISREG(st.st_mode)) return -1;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    // The file may have been replaced between the two looks.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

std::string HomeFolder() {
    const char* home = getenv("HOME");
    if (home && home[0] == '/') return home;
    struct passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "/";
}

// An environment variable holding an absolute path, or "".
std::string AbsolutePathFromEnvironment(const char* name) {
    const char* value = getenv(name);
    return value && value[0] == '/' ? value : "";
}

// A writer for path, or nullptr with error (when given) set to why not.
std::unique_ptr<AtomicFileWriter> NewWriter(const std::string& path, FileAccess access,
                                            int* error = nullptr) {
    if (error) *error = ENOENT;
    if (path.empty()) return nullptr;
    auto writer = std::make_unique<AtomicFileWriter>(path, access == FileAccess::Private);
    if (error) *error = writer->ErrorCode();
    if (!writer->Ok()) return nullptr;
    return writer;
}

}  // namespace

FolderItem::FolderItem(std::string absolutePath)
    : path_(WithoutTrailingSlashes(std::move(absolutePath))) {}

std::optional<FolderItem> FolderItem::FromAbsolutePath(const std::string& path) {
    if (path.empty() || path[0] != '/') return std::nullopt;
    return FolderItem(path);
}

bool FolderItem::Exists() const {
    struct stat st;
    return Stat(path_, st);
}

bool FolderItem::Directory() const {
    struct stat st;
    return Stat(path_, st) && S_ISDIR(st.st_mode);
}

bool FolderItem::IsSymbolicLink() const {
    struct stat st;
    return !path_.empty() && ::lstat(path_.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool FolderItem::Visible() const {
    return Name().empty() || Name()[0] != '.';
}

std::string FolderItem::Name() const {
    if (path_.size() <= 1) return "";
    return path_.substr(path_.rfind('/') + 1);
}

std::string FolderItem::AbsolutePath() const {
    if (path_ == "/") return path_;
    return Directory() ? path_ + "/" : path_;
}

FolderItem FolderItem::Parent() const {
    if (path_.size() <= 1) return FolderItem();
    size_t slash = path_.rfind('/');
    return FolderItem(slash == 0 ? "/" : path_.substr(0, slash));
}

FolderItem FolderItem::Child(const std::string& name) const {
    if (path_.empty()) return FolderItem();
    return FolderItem(path_ == "/" ? "/" + name : path_ + "/" + name);
}

int64_t FolderItem::Length() const {
    struct stat st;
    if (!Stat(path_, st) || S_ISDIR(st.st_mode)) return 0;
    return static_cast<int64_t>(st.st_size);
}

Date FolderItem::ModificationDate() const {
    struct stat st;
    return Date::FromUnixSeconds(Stat(path_, st) ? static_cast<int64_t>(st.st_mtime) : 0);
}

std::vector<FolderItem> FolderItem::Entries() const {
    std::vector<std::string> names;
    if (DIR* dir = path_.empty() ? nullptr : ::opendir(path_.c_str())) {
        while (struct dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(std::move(name));
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());  // std::string compares as unsigned bytes
    std::vector<FolderItem> items;
    items.reserve(names.size());
    for (const std::string& name : names) items.push_back(Child(name));
    return items;
}

const std::vector<FolderItem>& FolderItem::ListedEntries() const {
    if (!listed_) listed_ = std::make_shared<const std::vector<FolderItem>>(Entries());
    return *listed_;
}

int32_t FolderItem::Count() const {
    return static_cast<int32_t>(ListedEntries().size());
}

FolderItem FolderItem::Item(int32_t index) const {
    const std::vector<FolderItem>& entries = ListedEntries();
    if (index < 1 || static_cast<size_t>(index) > entries.size()) return FolderItem();
    return entries[static_cast<size_t>(index) - 1];
}

bool FolderItem::CreateAsFolder(FileAccess access) const {
    if (path_.empty()) return false;
    // mkdir applies the umask itself to the Normal mode.
    ::mkdir(path_.c_str(), access == FileAccess::Private ? 0700 : 0777);
    return Directory();
}

bool FolderItem::MakePrivate() const {
    struct stat st;
    if (!Stat(path_, st)) return false;
    if ((st.st_mode & 07777) == (S_ISDIR(st.st_mode) ? 0700u : 0600u)) return true;
    return ::chmod(path_.c_str(), S_ISDIR(st.st_mode) ? 0700 : 0600) == 0;
}

bool FolderItem::Delete() const {
    struct stat st;
    if (path_.empty() || ::lstat(path_.c_str(), &st) != 0) return false;
    return (S_ISDIR(st.st_mode) ? ::rmdir(path_.c_str()) : ::unlink(path_.c_str())) == 0;
}

bool FolderItem::CopyFileTo(const FolderItem& target, FileAccess access) const {
    struct stat st;
    int fd = OpenForReading(path_, st);
    if (fd < 0) return false;
    std::unique_ptr<AtomicFileWriter> writer = NewWriter(target.path_, access);
    if (!writer) {
        ::close(fd);
        return false;
    }
    bool ok = true;
    try {
        char buffer[65536];
        for (;;) {
            ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) ok = false;
            if (n <= 0) break;
            writer->Write(std::string(buffer, static_cast<size_t>(n)));
        }
        if (ok) writer->Commit();
    } catch (const StreamError&) {
        ok = false;
    }
    ::close(fd);
    return ok;
}

std::unique_ptr<BinaryStream> FolderItem::OpenAsBinaryFile() const {
    struct stat st;
    int fd = OpenForReading(path_, st);
    if (fd < 0) return nullptr;
    return std::make_unique<BinaryStream>(fd, static_cast<int64_t>(st.st_size));
}

std::unique_ptr<BinaryStream> FolderItem::OpenAsBinaryFile(const FileIdentity& identity,
                                                           const FolderItem& within,
                                                           OpenRefusal& refusal) const {
    refusal = OpenRefusal::Unreadable;
    if (path_.empty()) return nullptr;
    // A descriptor that only names the file, so what the file is can be known before it is
    // opened for reading.
    int error = 0;
    const FileDescriptor look = ReachItemAt(path_, &error);
    if (!look) {
        // A loop of links, a folder made a file.
        if (error == ELOOP || error == ENOTDIR) refusal = OpenRefusal::Replaced;
        return nullptr;
    }
    const Look looked{identity, LookedKind::File};
    if (Judge(look, looked, nullptr) != LookVerdict::Same) {
        refusal = OpenRefusal::Replaced;
        return nullptr;
    }
    // Opened through that descriptor: the very file looked at, not what the path names now; and
    // judged again on the descriptor that reads it, against the folder as it resolves now.
    FileDescriptor fd = ReopenForReading(look);
    if (!fd) return nullptr;
    Look seen;
    const ResolvedFolder folder = ResolvedFolder::AtPath(within.path_);
    switch (Judge(fd, looked, &folder, &seen)) {
        case LookVerdict::Same:
            refusal = OpenRefusal::None;
            return std::make_unique<BinaryStream>(fd.Release(), seen.size);
        case LookVerdict::Replaced:
            refusal = OpenRefusal::Replaced;
            break;
        case LookVerdict::Outside:
            refusal = OpenRefusal::MovedOut;
            break;
        case LookVerdict::Unreadable:
            break;
    }
    return nullptr;
}

std::unique_ptr<BinaryOutputStream> FolderItem::CreateBinaryFile(FileAccess access,
                                                                 int* error) const {
    std::unique_ptr<AtomicFileWriter> writer = NewWriter(path_, access, error);
    if (!writer) return nullptr;
    return std::make_unique<BinaryOutputStream>(std::move(writer));
}

std::unique_ptr<TextInputStream> FolderItem::OpenAsTextFile() const {
    struct stat st;
    int fd = OpenForReading(path_, st);
    if (fd < 0) return nullptr;
    std::string content;
    bool ok = ReadWhole(fd, content);
    ::close(fd);
    if (!ok) return nullptr;
    return std::make_unique<TextInputStream>(std::move(content));
}

std::unique_ptr<TextOutputStream> FolderItem::CreateTextFile(FileAccess access, int* error) const {
    std::unique_ptr<AtomicFileWriter> writer = NewWriter(path_, access, error);
    if (!writer) return nullptr;
    return std::make_unique<TextOutputStream>(std::move(writer));
}

namespace SpecialFolder {

FolderItem Preferences() {
    std::string config = AbsolutePathFromEnvironment("XDG_CONFIG_HOME");
    if (!config.empty()) return FolderItem(config);
    return FolderItem(HomeFolder()).Child(".config");
}

FolderItem Desktop() {
    std::string desktop = AbsolutePathFromEnvironment("XDG_DESKTOP_DIR");
    if (!desktop.empty()) return FolderItem(desktop);
    QString location = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (location.startsWith('/')) return FolderItem(QFile::encodeName(location).toStdString());
    return FolderItem(HomeFolder()).Child("Desktop");
}

}  // namespace SpecialFolder

}  // namespace fw
