#pragma once

#include <string>

namespace fw {
struct StreamError;
}

// Why a file could not be saved, as the program's messages give it: in Japanese for what a user
// can see to (a full disk, a read-only disk, no permission, a quota, a failing disk, a missing
// folder, a link in the way), the system's own text for the rest.
std::string SaveFailureReason(int error);
std::string SaveFailureReason(const fw::StreamError& failure);

// Why the settings folder could not be locked: always in Japanese, the folder named as what is
// missing, and for a reason that has no words of its own, the system's number for it.
std::string LockFailureReason(int error);
