#pragma once

#include <string>

// Why a folder could not be read, as the program's messages give it: in Japanese, in the words of
// the save failures (SaveFailureReason) where they fit a read as well, in words of a read for a
// missing permission or a missing folder.
std::string ReadFailureReason(int error);

// Why, when /proc is not mounted: the program reads through it where a folder lies.
std::string NoProcReason();
