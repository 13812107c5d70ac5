#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "FileDescriptor.h"
#include "FileIdentity.h"

namespace fw {

// One look at a local file or folder, and the one judgement of whether a descriptor reads what was
// looked at, inside the folder it must lie in. What keeps files from outside a folder off the
// server rests on this: what a descriptor is and where it lies are read from that descriptor, so
// that a name turned elsewhere between two looks can't give one look's verdict to the other's file.

enum class LookedKind {
    Folder,
    File,   // a regular file
    Link,   // only where a link is looked at as itself
    Other,  // a pipe, a socket, a device
};

// What one look found: which it is, its kind, its size and modification time.
struct Look {
    FileIdentity identity;
    LookedKind kind = LookedKind::Other;
    int64_t size = 0;
    int64_t modified = 0;  // Unix seconds
};

// What an open descriptor reads; nullopt, with error (when given) set to why, when it can't be
// looked at (nothing is open, or the system fails).
std::optional<Look> LookAt(const FileDescriptor& fd, int* error = nullptr);
// The item name of an open folder, a link as the link itself; nullopt, with error set, when it
// can't be looked at (ENOENT: gone).
std::optional<Look> LookAtItem(const FileDescriptor& folder, const std::string& name,
                               int* error = nullptr);
// What path leads to, links followed; nullopt when nothing is there.
std::optional<Look> LookAtPath(const std::string& path);

// A folder as it resolves when this is made: where it lies, every link of its path resolved.
class ResolvedFolder {
public:
    ResolvedFolder() = default;  // where it lies is not known
    static ResolvedFolder Of(const FileDescriptor& folder);
    static ResolvedFolder AtPath(const std::string& path);

    // Not known without /proc, or for a folder that is no longer named anywhere.
    bool Known() const { return !real_.empty(); }

    enum class Place { Unknown, Inside, Outside };
    // Where what fd reads lies: inside this folder (or this folder itself), or outside it.
    Place PlaceOf(const FileDescriptor& fd) const;

private:
    std::string real_;
};

enum class LookVerdict {
    Same,        // the file or folder looked at, inside the folder
    Unreadable,  // it can't be looked at, or where it lies can't be told
    Replaced,    // another file or folder, or another kind of thing
    Outside,     // the very one, no longer inside the folder
};

// Whether fd reads the file or folder that was looked at (the same identity and kind) and, when
// within is given, lies inside it. looked: nullopt for a first look, which takes whatever fd reads;
// seen (when given) is set to what fd reads whenever it could be looked at.
LookVerdict Judge(const FileDescriptor& fd, const std::optional<Look>& looked,
                  const ResolvedFolder* within, Look* seen = nullptr);

}  // namespace fw
