#include "Streams.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "Strings.h"

namespace fw {

namespace {

std::string ErrnoText(const std::string& what, int err) {
    return what + ": " + strerror(err);
}

void PutInt32(std::string& out, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    out += static_cast<char>(u >> 24);
    out += static_cast<char>(u >> 16);
    out += static_cast<char>(u >> 8);
    out += static_cast<char>(u);
}

int32_t GetInt32(const std::string& b) {
    auto at = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(b[i])); };
    return static_cast<int32_t>(at(0) << 24 | at(1) << 16 | at(2) << 8 | at(3));
}

// umask can only be read by setting it, so it is set back at once.
mode_t CurrentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

// ---- BinaryStream

BinaryStream::BinaryStream(int fd, int64_t length) : fd_(fd), length_(length) {
    struct stat info;
    if (fd_ >= 0 && ::fstat(fd_, &info) == 0) {
        modified_ = info.st_mtim;
        changed_ = info.st_ctim;
    }
}

namespace {

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

// The change time is the only trace of a rewrite whose modification time was put back. It moves
// too when the file gains or loses a name (another file saved over it, a hard link made), and
// nothing tells that from a rewrite: a file whose change time moved is taken as changed, whatever
// became of its names. Its bytes as read may be spliced from the old and the new.
bool BinaryStream::ChangedSinceOpened() const {
    struct stat info;
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return true;
    return info.st_size != length_ || !SameTime(info.st_mtim, modified_) ||
           !SameTime(info.st_ctim, changed_);
}

BinaryStream::~BinaryStream() {
    Close();
}

void BinaryStream::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

namespace {

// Reads count bytes from offset of fd into into, or raises StreamError; answers the bytes read,
// fewer only at the end of the file and only when allowShort. Positional reads keep a failed read
// from moving the stream.
size_t ReadAt(int fd, int64_t offset, char* into, size_t count, bool allowShort) {
    if (fd < 0) throw StreamError("read from a closed file");
    size_t got = 0;
    while (got < count) {
        ssize_t n = ::pread(fd, into + got, count - got,
                            static_cast<off_t>(offset) + static_cast<off_t>(got));
        if (n < 0) {
            const int err = errno;
            if (err == EINTR) continue;
            throw StreamError(ErrnoText("read failed", err), err);
        }
        if (n == 0) {
            if (allowShort) break;
            throw StreamError("read past the end of the file");
        }
        got += static_cast<size_t>(n);
    }
    return got;
}

}  // namespace

// Reads come from a window of the file read ahead in one go: a file read in small pieces (an
// upload reads 2 KB at a time) costs one system call per window, not one per piece. The window's
// buffer is kept from one read ahead to the next.
std::string BinaryStream::ReadRange(int64_t offset, int64_t count, bool allowShort) {
    int64_t windowEnd = windowStart_ + static_cast<int64_t>(windowSize_);
    if (offset < windowStart_ || offset + count > windowEnd) {
        if (count >= kReadAhead) {
            std::string bytes(static_cast<size_t>(count), '\0');
            bytes.resize(ReadAt(fd_, offset, bytes.data(), bytes.size(), allowShort));
            return bytes;
        }
        window_.resize(static_cast<size_t>(kReadAhead));
        windowSize_ = 0;  // nothing of it holds the file should the read fail
        windowSize_ = ReadAt(fd_, offset, window_.data(),
                             static_cast<size_t>(std::min(kReadAhead, length_ - offset)), true);
        windowStart_ = offset;
        windowEnd = windowStart_ + static_cast<int64_t>(windowSize_);
        if (offset + count > windowEnd && !allowShort)
            throw StreamError("read past the end of the file");
    }
    int64_t available = std::min(count, windowEnd - offset);
    return window_.substr(static_cast<size_t>(offset - windowStart_),
                          static_cast<size_t>(available));
}

std::string BinaryStream::Read(int64_t count) {
    if (count < 0 || count > BytesLeft()) throw StreamError("read past the end of the file");
    std::string bytes = ReadRange(pos_, count, false);
    pos_ += count;
    return bytes;
}

std::string BinaryStream::ReadUpTo(int64_t count) {
    if (count <= 0 || AtEnd()) return "";
    std::string bytes = ReadRange(pos_, std::min(count, BytesLeft()), true);
    pos_ += static_cast<int64_t>(bytes.size());
    return bytes;
}

int32_t BinaryStream::ReadInt32() {
    return GetInt32(Read(4));
}

std::string BinaryStream::ReadPString() {
    if (BytesLeft() < 1) throw StreamError("read past the end of the file");
    int64_t length = static_cast<unsigned char>(ReadRange(pos_, 1, false)[0]);
    if (length > BytesLeft() - 1) throw StreamError("string runs past the end of the file");
    std::string bytes = ReadRange(pos_ + 1, length, false);
    pos_ += 1 + length;
    return bytes;
}

std::string BinaryStream::ReadBlock() {
    if (BytesLeft() < 4) throw StreamError("read past the end of the file");
    int64_t length = GetInt32(ReadRange(pos_, 4, false));
    if (length < 0 || length > BytesLeft() - 4)
        throw StreamError("block runs past the end of the file");
    std::string bytes = ReadRange(pos_ + 4, length, false);
    pos_ += 4 + length;
    return bytes;
}

// ---- AtomicFileWriter

namespace {

// The file that path ends at through its symbolic links: writing over a link replaces the file it
// names and keeps the link. A link that leads nowhere names the file to make; a loop of links is
// replaced itself.
std::string FinalTarget(const std::string& path) {
    std::string at = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(at.c_str(), link.data(), link.size());
        if (n <= 0) return at;
        link.resize(static_cast<size_t>(n));
        if (link[0] != '/') {
            const size_t slash = at.rfind('/');
            if (slash != std::string::npos) link = at.substr(0, slash + 1) + link;
        }
        at = link;
    }
    return path;
}

// A name for a temporary file of this process in a folder; the next one when it is taken.
constexpr char kTemporaryPrefix[] = ".tmp-";

std::string TemporaryName() {
    static unsigned counter = 0;
    return kTemporaryPrefix + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

// The number TemporaryName gave at pos in name (decimal, without a leading zero, above 0), up to
// the character end; 0 when there is none.
long long NumberIn(const std::string& name, size_t pos, size_t end) {
    if (end <= pos || end - pos > 18 || name[pos] == '0') return 0;
    long long n = 0;
    for (size_t i = pos; i < end; ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

// The process whose writer named a temporary file so, or 0 for a name TemporaryName never gives.
pid_t TemporaryNameOwner(const std::string& name) {
    const size_t prefix = sizeof kTemporaryPrefix - 1;
    if (name.compare(0, prefix, kTemporaryPrefix) != 0) return 0;
    const size_t dash = name.find('-', prefix);
    if (dash == std::string::npos || NumberIn(name, dash + 1, name.size()) == 0) return 0;
    const long long pid = NumberIn(name, prefix, dash);
    return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

// Why a writer failed: the text for messages, and the system's reason (errno) when it gave one.
struct Failure {
    std::string text;  // empty: no failure
    int code = 0;
    bool Failed() const { return !text.empty(); }
};

Failure SystemFailure(const std::string& what, int code) {
    return {ErrnoText(what, code), code};
}

}  // namespace

// The new content goes, unbuffered, to a file in the target's folder that has no name (or, where
// the file system can't make one without a name, a hidden temporary name), so that a program that
// dies while it writes leaves nothing behind. Every write is checked and taken up again when the
// system took only part of it; a failed one ends the writer at once, giving the space back. The
// commit syncs the file to the disk, names it, closes it and renames it over the target, then
// syncs the folder: the target is replaced only by a file that is whole on the disk.
struct AtomicFileWriter::Impl {
    std::string target;    // as the caller named it, for messages
    int folder = -1;       // the target's folder (its link resolved)
    bool syncable = true;  // the folder could be opened for reading, which its sync needs
    std::string name;      // the target's name in it
    int fd = -1;           // the new content
    std::string tempName;  // its name in the folder, once it has one

    ~Impl() {
        Abandon();
        if (folder >= 0) ::close(folder);
    }

    // No failure, or why the file can't be written.
    Failure Open(bool privateAccess) {
        const std::string path = FinalTarget(target);
        const size_t slash = path.rfind('/');
        const std::string folderPath = slash == std::string::npos ? std::string(".")
                                       : slash == 0               ? std::string("/")
                                                                  : path.substr(0, slash);
        name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (name.empty()) return {"can't create " + target + ": no file name", EINVAL};
        folder = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0 && errno == EACCES) {
            folder = ::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            syncable = false;
        }
        if (folder < 0) return SystemFailure("can't create " + target, errno);
        struct stat st;
        if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(st.st_mode))
                return {"can't create " + target + ": a folder has this name", EISDIR};
            // A file its owner has made read-only is not replaced behind their back. (A link
            // here is one of a loop, which is replaced itself.)
            if (!S_ISLNK(st.st_mode) && ::faccessat(folder, name.c_str(), W_OK, 0) != 0)
                return SystemFailure("can't replace " + target, errno);
        }
        // A private file is never readable by others, not even for a moment; a normal one gets
        // what the umask leaves, not the permissions of the file it replaces.
        const mode_t mode = privateAccess ? 0600 : 0666 & ~CurrentUmask();
        fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
            tempName = TemporaryName();
            fd = ::openat(folder, tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0) tempName.clear();
            if (fd < 0 && errno != EEXIST) break;
        }
        if (fd < 0) return SystemFailure("can't create " + target, errno);
        if (::fchmod(fd, mode) != 0) return SystemFailure("can't create " + target, errno);
        return {};
    }

    // No failure, or why not all of bytes reached the file.
    Failure Write(const char* bytes, size_t size) {
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd, bytes + done, size - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return SystemFailure("can't write " + target, errno);
            if (n == 0) return {"can't write " + target + ": nothing was written", EIO};
            done += static_cast<size_t>(n);
        }
        return {};
    }

    // Gives the unnamed file a name in the folder, through the process's view of its open files
    // or, without one, by its descriptor (which needs the right to do so).
    bool Name() {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        for (int attempt = 0; attempt < 100; ++attempt) {
            tempName = TemporaryName();
            if (::linkat(AT_FDCWD, self.c_str(), folder, tempName.c_str(), AT_SYMLINK_FOLLOW) == 0)
                return true;
            int err = errno;
            // A name taken already is taken by either call: the second only stands in for a
            // process view that can't be read.
            if (err != EEXIST) {
                if (::linkat(fd, "", folder, tempName.c_str(), AT_EMPTY_PATH) == 0) return true;
                err = errno;
            }
            tempName.clear();
            if (err != EEXIST) {
                errno = err;
                return false;
            }
        }
        return false;
    }

    // No failure once the new content has replaced the target, or why it could not.
    Failure PutInPlace() {
        if (::fsync(fd) != 0) return SystemFailure("can't write " + target, errno);
        if (tempName.empty() && !Name()) return SystemFailure("can't create " + target, errno);
        const int closing = fd;
        fd = -1;
        if (::close(closing) != 0) return SystemFailure("can't write " + target, errno);
        if (::renameat(folder, tempName.c_str(), folder, name.c_str()) != 0)
            return SystemFailure("can't replace " + target, errno);
        tempName.clear();
        // Without it, a power cut could still bring the old file back.
        if (syncable && ::fsync(folder) != 0 && errno != EINVAL)
            return SystemFailure("can't write the folder of " + target, errno);
        return {};
    }

    void Abandon() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!tempName.empty()) ::unlinkat(folder, tempName.c_str(), 0);
        tempName.clear();
    }
};

AtomicFileWriter::AtomicFileWriter(std::string targetPath, bool privateAccess)
    : d(std::make_unique<Impl>()) {
    d->target = std::move(targetPath);
    const Failure failure = d->Open(privateAccess);
    if (failure.Failed()) Fail(failure.text, failure.code);
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Ok() const {
    return d->fd >= 0;
}

// A failed writer gives the space of what it wrote back at once.
void AtomicFileWriter::Fail(const std::string& text, int code) {
    error_ = text;
    errorCode_ = code;
    Discard();
}

void AtomicFileWriter::Write(const std::string& bytes) {
    if (!Ok()) throw StreamError(error_.empty() ? "write to a closed file" : error_, errorCode_);
    const Failure failure = d->Write(bytes.data(), bytes.size());
    if (!failure.Failed()) return;
    Fail(failure.text, failure.code);
    throw StreamError(failure.text, failure.code);
}

void AtomicFileWriter::Commit() {
    if (committed_) return;
    if (!Ok()) throw StreamError(error_.empty() ? "commit of a closed file" : error_, errorCode_);
    const Failure failure = d->PutInPlace();
    Discard();
    if (failure.Failed()) {
        Fail(failure.text, failure.code);
        throw StreamError(failure.text, failure.code);
    }
    committed_ = true;
}

void AtomicFileWriter::Discard() {
    d->Abandon();
}

void AtomicFileWriter::RemoveAbandoned(const std::string& folderPath) {
    const int folder = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    const int listed = ::dup(folder);
    DIR* entries = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!entries && listed >= 0) ::close(listed);
    std::vector<std::string> abandoned;
    while (entries) {
        const struct dirent* entry = ::readdir(entries);
        if (!entry) break;
        const std::string name = entry->d_name;
        const pid_t owner = TemporaryNameOwner(name);
        struct stat st;
        // A process that runs (or runs as another user) may still be writing it.
        if (owner == 0 || ::kill(owner, 0) == 0 || errno != ESRCH) continue;
        if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            abandoned.push_back(name);
    }
    if (entries) ::closedir(entries);
    for (const std::string& name : abandoned) ::unlinkat(folder, name.c_str(), 0);
    ::close(folder);
}

// ---- BinaryOutputStream

namespace {

AtomicFileWriter& OpenWriter(const std::unique_ptr<AtomicFileWriter>& writer) {
    if (!writer) throw StreamError("write to a closed file");
    return *writer;
}

// Commits and lets go of the writer, whether the commit succeeds or not.
void CommitAndRelease(std::unique_ptr<AtomicFileWriter>& writer) {
    std::unique_ptr<AtomicFileWriter> w = std::move(writer);
    OpenWriter(w).Commit();
}

}  // namespace

void BinaryOutputStream::WriteInt32(int32_t v) {
    std::string bytes;
    PutInt32(bytes, v);
    OpenWriter(writer_).Write(bytes);
}

void BinaryOutputStream::Write(const std::string& bytes) {
    OpenWriter(writer_).Write(bytes);
}

void BinaryOutputStream::WritePString(const std::string& text) {
    std::string bytes = TruncateUtf8(text, 255);
    OpenWriter(writer_).Write(static_cast<char>(bytes.size()) + bytes);
}

void BinaryOutputStream::WriteBlock(const std::string& bytes) {
    if (bytes.size() > 0x7FFFFFFF) throw StreamError("block too long");
    std::string out;
    PutInt32(out, static_cast<int32_t>(bytes.size()));
    out += bytes;
    OpenWriter(writer_).Write(out);
}

void BinaryOutputStream::Close() {
    CommitAndRelease(writer_);
}

// ---- TextInputStream

std::string TextInputStream::ReadLine() {
    size_t end = data_.find_first_of("\r\n", pos_);
    if (end == std::string::npos) end = data_.size();
    std::string line = data_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < data_.size()) {
        if (data_[pos_] == '\r' && pos_ + 1 < data_.size() && data_[pos_ + 1] == '\n') ++pos_;
        ++pos_;
    }
    return line;
}

std::string TextInputStream::ReadAll() {
    std::string rest = pos_ < data_.size() ? data_.substr(pos_) : "";
    pos_ = data_.size();
    return rest;
}

// ---- TextOutputStream

void TextOutputStream::Write(const std::string& bytes) {
    OpenWriter(writer_).Write(bytes);
}

void TextOutputStream::WriteLine(const std::string& text) {
    OpenWriter(writer_).Write(text + "\n");
}

void TextOutputStream::Close() {
    CommitAndRelease(writer_);
}

void TextOutputStream::Discard() {
    if (writer_) writer_->Discard();
    writer_.reset();
}

}  // namespace fw
