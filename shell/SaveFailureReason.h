#pragma once

#include <string>

namespace fw {
struct StreamError;
}

// Why a file could not be saved, as the program's messages give it: always in Japanese, in words
// of its own for what a user can see to (a full disk, a read-only disk, no permission, a quota, a
// failing disk, a missing folder, a folder or a link in the way, a name too long, too many open
// files, too little memory, a busy or too big file), and for the rest, the system's number for it
// as the lock's reasons give it. A StreamError the system gave no number for keeps the writer's
// own text.
std::string SaveFailureReason(int error);
std::string SaveFailureReason(const fw::StreamError& failure);

// Why the settings folder could not be locked: always in Japanese, the folder named as what is
// missing, and for a reason that has no words of its own, the system's number for it.
std::string LockFailureReason(int error);
