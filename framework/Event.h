#pragma once

#include <functional>
#include <utility>

namespace fw {

// Raises an event: calls the owner's handler at once, on the calling thread. An event that nobody
// bound does nothing.
template <class Signature, class... Args>
void RaiseEvent(const std::function<Signature>& event, Args&&... args) {
    if (event) event(std::forward<Args>(args)...);
}

}  // namespace fw
