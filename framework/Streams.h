#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>

namespace fw {

// Raised by a stream that can't give what was asked of it: a read past the end, a failed write.
struct StreamError : std::runtime_error {
    explicit StreamError(const std::string& what, int error = 0)
        : std::runtime_error(what), error_(error) {}
    // The system's reason (an errno value), 0 when the system gave none.
    int Error() const { return error_; }

private:
    int error_;
};

// A binary file opened for reading. Integers are big-endian. Every read checks what is left and
// raises StreamError rather than inventing bytes.
class BinaryStream {
public:
    BinaryStream(int fd, int64_t length);  // takes ownership of fd
    ~BinaryStream();
    BinaryStream(const BinaryStream&) = delete;
    BinaryStream& operator=(const BinaryStream&) = delete;

    int32_t ReadInt32();
    std::string Read(int64_t count);      // exactly count bytes
    std::string ReadUpTo(int64_t count);  // up to count bytes; fewer at the end
    std::string ReadPString();            // one length byte, then the bytes
    std::string ReadBlock();              // a 32-bit length, then the bytes
    bool AtEnd() const { return pos_ >= length_; }
    int64_t BytesLeft() const { return length_ - pos_; }
    int64_t Length() const { return length_; }
    int64_t Position() const { return pos_; }
    // Whether the open file's size, modification time or change time differs from what they were
    // when the stream was made: a file written to while it was read, even one whose modification
    // time was put back (the change time can't be). A file that gained or lost a name meanwhile
    // (removed, another saved over it, a hard link made) counts as changed too, with or without a
    // name left: its change time can't tell that from a rewrite.
    bool ChangedSinceOpened() const;
    void Close();

private:
    static constexpr int64_t kReadAhead = 64 * 1024;
    std::string ReadRange(int64_t offset, int64_t count, bool allowShort);

    int fd_;
    int64_t length_;
    struct timespec modified_ = {};  // when the stream was made
    struct timespec changed_ = {};
    int64_t pos_ = 0;
    std::string
        window_;  // its first windowSize_ bytes: the file from windowStart_ on, already read
    size_t windowSize_ = 0;
    int64_t windowStart_ = 0;
};

// Writes a new file: the bytes go to a temporary file in the same folder, which replaces the
// target when Commit succeeds, once it is whole on the disk. A write that fails (a full disk)
// raises and abandons the file, and so does a Commit after it. Destroyed without Commit, it leaves
// the target as it was. A private file is readable by its owner only, from its first byte on.
class AtomicFileWriter {
public:
    AtomicFileWriter(std::string targetPath, bool privateAccess);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Ok() const;
    const std::string& ErrorText() const { return error_; }
    int ErrorCode() const { return errorCode_; }  // the system's reason (errno), or 0
    void Write(const std::string& bytes);         // raises StreamError on failure
    void Commit();                                // raises StreamError on failure
    void Discard();
    bool Committed() const { return committed_; }

    // Removes from a folder what writers of processes that have ended left there: a temporary file
    // named while its process was killed before the rename. Only regular files named as a writer
    // names them, of a process that is not running, go.
    static void RemoveAbandoned(const std::string& folderPath);

private:
    void Fail(const std::string& text, int code);

    struct Impl;
    std::unique_ptr<Impl> d;
    bool committed_ = false;
    std::string error_;
    int errorCode_ = 0;
};

// A binary file being written, big-endian. Close commits it, replacing the target.
class BinaryOutputStream {
public:
    explicit BinaryOutputStream(std::unique_ptr<AtomicFileWriter> writer)
        : writer_(std::move(writer)) {}

    void WriteInt32(int32_t v);
    void Write(const std::string& bytes);
    // At most 255 bytes, cut at a UTF-8 character boundary.
    void WritePString(const std::string& text);
    void WriteBlock(const std::string& bytes);  // a 32-bit length, then the bytes
    void Close();  // raises StreamError when the file can't be committed

private:
    std::unique_ptr<AtomicFileWriter> writer_;
};

// A text file opened for reading, line by line. A line ends at LF, CR LF or a lone CR.
class TextInputStream {
public:
    explicit TextInputStream(std::string content) : data_(std::move(content)) {}
    std::string ReadLine();
    std::string ReadAll();
    bool AtEnd() const { return pos_ >= data_.size(); }
    void Close() {}

private:
    std::string data_;
    size_t pos_ = 0;
};

// A text file being written; bytes are written unchanged, WriteLine adds the platform's line end
// (LF). Close commits the file, replacing the target; Discard abandons it.
class TextOutputStream {
public:
    explicit TextOutputStream(std::unique_ptr<AtomicFileWriter> writer)
        : writer_(std::move(writer)) {}

    void Write(const std::string& bytes);
    void WriteLine(const std::string& text);
    void Close();  // raises StreamError when the file can't be committed
    void Discard();
    bool IsOpen() const { return writer_ != nullptr; }

private:
    std::unique_ptr<AtomicFileWriter> writer_;
};

}  // namespace fw
