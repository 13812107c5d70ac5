#pragma once

#include <string>

#include "FileDescriptor.h"

namespace fw {

// Opening local files and folders as descriptors. Each answers an empty descriptor when it can't,
// with error (when given) set to the system's reason (an errno value: ELOOP for a link where none
// is followed, ENOTDIR for a file where a folder was asked for).

// A folder, for reading its items; links on the path are followed.
FileDescriptor OpenFolderAt(const std::string& path, int* error = nullptr);
// A folder only named, not opened for reading: it can be reached when it can't be read, and what
// it is and where it lies can still be looked at.
FileDescriptor ReachFolderAt(const std::string& path, int* error = nullptr);

// How a name in a folder is opened when it is a link.
enum class AtLink { Follow, Refuse };
// The item name of an open folder, as a folder for reading its items.
FileDescriptor OpenFolderIn(const FileDescriptor& folder, const std::string& name, AtLink link,
                            int* error = nullptr);
// The item name of an open folder (a link's target) only named: taking it reads nothing, never
// waits on a pipe and never touches a device.
FileDescriptor ReachItemIn(const FileDescriptor& folder, const std::string& name,
                           int* error = nullptr);
// The file at path (a link's target) only named, as ReachItemIn.
FileDescriptor ReachItemAt(const std::string& path, int* error = nullptr);
// The very file a descriptor names (as ReachItemAt gives it), opened for reading: not what its
// path leads to by now.
FileDescriptor ReopenForReading(const FileDescriptor& reached, int* error = nullptr);

}  // namespace fw
