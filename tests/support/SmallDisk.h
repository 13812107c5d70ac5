#pragma once

#include <cstdint>
#include <string>

namespace testsupport {

// A full (or read-only) disk made real: a small tmpfs mounted at a folder, in a mount namespace of
// the test process's own (entered on first use, with every mount made private to it, so nothing is
// seen outside the process and the mount goes with it). It needs the right to make namespaces and
// to mount (root, as in CI); without it Mounted() is false and Why() says so, for GTEST_SKIP. The
// namespace is entered by the calling thread: make and use it on the test's main thread, where
// the program's files are written.
//
// tmpfs counts its space in pages: a file takes whole pages, and a write that needs a page more
// than is free fails with ENOSPC after what fitted was written, as on a real disk.
class SmallDisk {
public:
    // Mounts a tmpfs of the given size (rounded up to pages) at folder, which is created when
    // missing; its root is 0700.
    SmallDisk(std::string folder, int64_t bytes);
    ~SmallDisk();  // unmounts
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }
    const std::string& Folder() const { return folder_; }

    static int64_t PageSize();
    int64_t FreeBytes() const;

    // Fills the disk with a hidden file of its own until exactly pages of free space are left;
    // answers whether it could. Called again, it fills or frees to the new amount.
    bool LeaveFree(int64_t pages);
    // Takes the filling away.
    void Empty();
    // Remounts the disk read-only, or writable again: a read-only file system, which refuses
    // every write even to root, whatever the modes say.
    bool MakeReadOnly() { return Remount(true); }
    bool MakeWritable() { return Remount(false); }

private:
    bool Remount(bool readOnly);

    std::string folder_;
    std::string filler_;
    bool mounted_ = false;
    std::string why_;
};

}  // namespace testsupport
