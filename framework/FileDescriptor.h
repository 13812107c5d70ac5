#pragma once

namespace fw {

// An open descriptor of a local file or folder, closed when its owner goes. It has one owner at a
// time: it can be moved on, never copied, so no descriptor is closed twice or left open.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    explicit operator bool() const { return fd_ >= 0; }
    int Get() const { return fd_; }  // -1 when none is open
    // Hands the descriptor on unclosed: its new owner closes it.
    int Release();
    // Closes it now; the system's error number is kept, so that a caller can still read why an
    // earlier call failed.
    void Close();

private:
    int fd_ = -1;
};

}  // namespace fw
