#pragma once

#include <string>

#include "FileDescriptor.h"

namespace fw {

// Opens the file name in an open folder for taking a lock on, made (0600) when missing; read-only
// where it can't be written, since a lock needs no write. It is never opened through a link, and
// the open never waits on what stands there: a pipe that may only be read would wait for a writer,
// a file another program holds a lease on for the lease to go. Empty when it can't be opened, with
// error (when given) set to why: where there is none to open, why it could not be made.
FileDescriptor OpenLockFileIn(const FileDescriptor& folder, const std::string& name,
                              int* error = nullptr);

// Takes the exclusive lock on what fd reads without waiting: 0 once it is held (until fd is
// closed), else the system's reason (EWOULDBLOCK: another holds it).
int TryLockExclusive(const FileDescriptor& fd);

}  // namespace fw
