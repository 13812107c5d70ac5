#pragma once

namespace testsupport {

// A TCP port on 127.0.0.1 that was free a moment ago: the system picks it for a socket that is
// closed again at once. Another process may take it before the caller binds it, so a server
// started on it must be checked (see ServerProcess::ListensOn) and retried.
int PickFreeTcpPort();

}  // namespace testsupport
