#pragma once

// Trees whose paths may pass PATH_MAX, which the system takes whole from no call: made and read
// one level at a time, each folder from its parent's descriptor.

#include <map>
#include <string>

namespace testsupport {

// Makes a file with these bytes at relative (a "/"-separated path below root, which exists), or a
// folder where relative ends in "/", with the folders on its way; answers whether it worked.
bool MakeDeep(const std::string& root, const std::string& relative, const std::string& bytes = "");

// What lies below root: each file's relative path with its bytes, each folder's with folderMark
// in place of bytes. Hidden items too.
std::map<std::string, std::string> ReadDeep(const std::string& root, const std::string& folderMark);

}  // namespace testsupport
