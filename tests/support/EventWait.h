#pragma once

#include <functional>

namespace testsupport {

// Runs the Qt event loop until cond holds or timeoutMs pass; answers whether cond holds.
bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 10000);

}  // namespace testsupport
