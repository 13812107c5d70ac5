#pragma once

#include <functional>

namespace fw {

// Handles every event that is waiting, then returns.
void ProcessPendingEvents();
// Runs the event loop until cond holds or timeoutMs has passed; answers whether cond held.
bool RunEventLoopUntil(const std::function<bool()>& cond, int timeoutMs);

}  // namespace fw
