#pragma once

#include <functional>
#include <string>

namespace fw {

// What happens to an exception that escaped a handler or a cooperative thread's body. The default
// shows a message box; tests install their own to fail the test.
using UnhandledExceptionHook = std::function<void(const std::string& what)>;
void SetUnhandledExceptionHook(UnhandledExceptionHook hook);
void ReportUnhandledException(const std::string& what);

}  // namespace fw
