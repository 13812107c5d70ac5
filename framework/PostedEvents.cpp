#include "PostedEvents.h"

namespace fw {

void PostedEvents::RunQueued() {
    size_t count = queue_.size();
    for (size_t i = 0; i < count && !queue_.empty(); ++i) {
        std::function<void()> work = std::move(queue_.front());
        queue_.pop_front();
        work();
    }
}

}  // namespace fw
