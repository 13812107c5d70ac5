#pragma once

namespace testsupport {

// What a process that runs the tests' cases sets up once gtest has its arguments: Qt on its
// platform, a failure for an exception that escapes a handler, and for each case a private XDG
// configuration home and desktop folder, so no case sees another's settings or the user's, nor a
// cancel keystroke that another typed.
void PrepareTestProcess();

}  // namespace testsupport
