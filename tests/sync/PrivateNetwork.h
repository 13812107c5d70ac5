#pragma once

namespace synctest {

// The program always connects to port 21. This test binary therefore runs in a network namespace
// of its own, entered as the process starts (before any thread exists): only a loopback of its
// own, brought up, where the tests' servers listen on 127.0.0.1:21 beside every other test
// process's, and nothing leaves the machine. It needs the right to make namespaces (root, as in
// CI); without it the tests that need port 21 are skipped.
bool InPrivateNetwork();

}  // namespace synctest
