#include "Streams.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSaveFile>
#include <algorithm>

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

// The permissions of a POSIX mode.
QFile::Permissions FromMode(mode_t mode) {
    QFile::Permissions p;
    if (mode & S_IRUSR) p |= QFile::ReadOwner | QFile::ReadUser;
    if (mode & S_IWUSR) p |= QFile::WriteOwner | QFile::WriteUser;
    if (mode & S_IRGRP) p |= QFile::ReadGroup;
    if (mode & S_IWGRP) p |= QFile::WriteGroup;
    if (mode & S_IROTH) p |= QFile::ReadOther;
    if (mode & S_IWOTH) p |= QFile::WriteOther;
    return p;
}

}  // namespace

// ---- BinaryStream

BinaryStream::BinaryStream(int fd, int64_t length) : fd_(fd), length_(length) {
    struct stat info;
    if (fd_ >= 0 && ::fstat(fd_, &info) == 0) modified_ = info.st_mtim;
}

bool BinaryStream::ChangedSinceOpened() const {
    struct stat info;
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return true;
    return info.st_size != length_ || info.st_mtim.tv_sec != modified_.tv_sec ||
           info.st_mtim.tv_nsec != modified_.tv_nsec;
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
            if (errno == EINTR) continue;
            throw StreamError(ErrnoText("read failed", errno));
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

// Whether the platform's file functions can name path: they take file names as UTF-8 text.
bool Nameable(const std::string& path) {
    QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

QString NameOf(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

}  // namespace

// The platform's save file does the work: an unnamed temporary file in the target's folder, synced
// and put in place at the commit. A path it can't name (a local name that is not UTF-8) is reached
// through the folder opened by its own bytes; a name it can't name is written under a stand-in
// name beside it, which the commit renames over the target.
struct AtomicFileWriter::Impl {
    std::unique_ptr<QSaveFile>
        file;                 // gone once committed or abandoned; abandoned, it leaves nothing
    int folder = -1;          // the target's folder, when the platform can't name its path
    std::string name;         // the target's name in it
    std::string placeholder;  // the stand-in name, when the platform can't name the target's name

    ~Impl() {
        if (folder >= 0) ::close(folder);
    }

    // The platform's name for the file to write, or "" with error set.
    QString Prepare(const std::string& target, std::string& error) {
        if (Nameable(target)) return NameOf(target);
        size_t slash = target.rfind('/');
        const std::string folderPath = slash == std::string::npos ? std::string(".")
                                       : slash == 0               ? std::string("/")
                                                                  : target.substr(0, slash);
        name = slash == std::string::npos ? target : target.substr(slash + 1);
        folder = ::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0) {
            error = ErrnoText("can't open the folder of " + target, errno);
            return {};
        }
        std::string written = name;
        if (!Nameable(name)) {
            std::string pattern = folderPath + "/.tmp-XXXXXX";
            int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
            if (fd < 0) {
                error = ErrnoText("can't create " + pattern, errno);
                return {};
            }
            ::close(fd);
            placeholder = pattern.substr(pattern.rfind('/') + 1);
            written = placeholder;
        }
        return QStringLiteral("/proc/self/fd/%1/").arg(folder) + NameOf(written);
    }

    void RemovePlaceholder() {
        if (!placeholder.empty()) ::unlinkat(folder, placeholder.c_str(), 0);
        placeholder.clear();
    }
};

AtomicFileWriter::AtomicFileWriter(std::string targetPath, bool privateAccess)
    : d(std::make_unique<Impl>()) {
    QString name = d->Prepare(targetPath, error_);
    if (name.isEmpty()) return;
    d->file = std::make_unique<QSaveFile>(name);
    // The platform would give a file that replaces another that one's permissions.
    const QFile::Permissions permissions =
        privateAccess ? (QFile::ReadOwner | QFile::WriteOwner) : FromMode(0666 & ~CurrentUmask());
    if (!d->file->open(QIODevice::WriteOnly) || !d->file->setPermissions(permissions)) {
        error_ = "can't create " + targetPath + ": " + d->file->errorString().toStdString();
        Discard();
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Ok() const {
    return d->file && d->file->isOpen();
}

void AtomicFileWriter::Write(const std::string& bytes) {
    if (!Ok()) throw StreamError(error_.empty() ? "write to a closed file" : error_);
    if (d->file->write(bytes.data(), static_cast<qint64>(bytes.size())) !=
        static_cast<qint64>(bytes.size()))
        throw StreamError("can't write: " + d->file->errorString().toStdString());
}

void AtomicFileWriter::Commit() {
    if (committed_) return;
    if (!Ok()) throw StreamError(error_.empty() ? "commit of a closed file" : error_);
    std::string failure;
    if (!d->file->commit())
        failure = "can't replace the file: " + d->file->errorString().toStdString();
    else if (!d->placeholder.empty() &&
             ::renameat(d->folder, d->placeholder.c_str(), d->folder, d->name.c_str()) != 0)
        failure = ErrnoText("can't replace the file", errno);
    else
        d->placeholder.clear();
    d->file.reset();
    d->RemovePlaceholder();
    if (!failure.empty()) {
        error_ = failure;
        throw StreamError(failure);
    }
    committed_ = true;
}

void AtomicFileWriter::Discard() {
    d->file.reset();
    d->RemovePlaceholder();
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
