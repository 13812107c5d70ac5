#pragma once

// Swaps pairs of names again and again (renameat2 with RENAME_EXCHANGE, each swap atomic) on
// threads of its own, as a deploy script or a sync tool beside the program may: whoever looks at
// one of the names sees one of the two files, and a second look may see the other.

#include <fcntl.h>
#include <stdio.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

class LinkFlipper {
public:
    // Each pair: the name looked at, and the name whose file it is swapped with.
    LinkFlipper(std::vector<std::pair<std::string, std::string>> pairs, int threads)
        : pairs_(std::move(pairs)) {
        swaps_ = std::make_unique<std::atomic<unsigned>[]>(pairs_.size());
        for (size_t i = 0; i < pairs_.size(); ++i) swaps_[i] = 0;
        for (int t = 0; t < threads; ++t)
            threads_.emplace_back([this, t, threads] {
                while (!stop_)
                    for (size_t i = static_cast<size_t>(t); i < pairs_.size() && !stop_;
                         i += static_cast<size_t>(threads))
                        if (Swap(i)) ++swaps_[i];
            });
    }
    ~LinkFlipper() { Stop(); }
    LinkFlipper(const LinkFlipper&) = delete;
    LinkFlipper& operator=(const LinkFlipper&) = delete;

    // Ends the swapping and leaves every pair swapped: the name looked at holds the other file.
    void Stop() {
        stop_ = true;
        for (std::thread& t : threads_)
            if (t.joinable()) t.join();
        for (size_t i = 0; i < pairs_.size(); ++i)
            if (swaps_[i] % 2 == 0 && Swap(i)) ++swaps_[i];
    }
    // How many swaps were made, all pairs together; after Stop, its own count too.
    unsigned Swaps() const {
        unsigned total = 0;
        for (size_t i = 0; i < pairs_.size(); ++i) total += swaps_[i];
        return total;
    }

private:
    bool Swap(size_t i) const {
        return renameat2(AT_FDCWD, pairs_[i].first.c_str(), AT_FDCWD, pairs_[i].second.c_str(),
                         RENAME_EXCHANGE) == 0;
    }

    std::vector<std::pair<std::string, std::string>> pairs_;
    std::unique_ptr<std::atomic<unsigned>[]> swaps_;
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

}  // namespace testsupport
