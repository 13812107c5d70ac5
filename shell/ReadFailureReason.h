#pragma once

#include <string>

// Why a folder could not be read, as the program's messages give it: always in Japanese, in words
// of a read for a missing permission or a missing folder, in the words of the save failures
// (SaveFailureReason) for the rest, the system's number included for a reason without words.
std::string ReadFailureReason(int error);

// Why, when /proc is not mounted: the program reads through it where a folder lies.
std::string NoProcReason();
