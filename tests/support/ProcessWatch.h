#pragma once

// What a test watches of its own process while a server floods it: the memory it holds and the
// longest time its event loop went without turning.

#include <unistd.h>

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>

namespace testsupport {

// The process's resident memory in bytes.
inline int64_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    int64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<int64_t>(sysconf(_SC_PAGESIZE));
}

// The largest resident memory seen while the event loop runs, from its making on.
class PeakResidentWatch {
public:
    PeakResidentWatch() {
        tick_.setInterval(10);
        QObject::connect(&tick_, &QTimer::timeout,
                         [this] { peak_ = std::max(peak_, ResidentBytes()); });
        tick_.start();
    }
    int64_t GrowthBytes() const { return std::max(peak_, ResidentBytes()) - start_; }

private:
    QTimer tick_;
    int64_t start_ = ResidentBytes();
    int64_t peak_ = start_;
};

// The process's peak resident memory from its making on, as the kernel counts it: every page
// however briefly held, between two looks as well.
class ResidentHighWater {
public:
    ResidentHighWater() { std::ofstream("/proc/self/clear_refs") << "5"; }  // peak := now
    int64_t GrowthBytes() const {
        std::ifstream status("/proc/self/status");
        std::string field;
        int64_t kib = 0;
        while (status >> field)
            if (field == "VmHWM:" && status >> kib) break;
        return kib * 1024 - start_;
    }

private:
    int64_t start_ = ResidentBytes();
};

// Measures, from its making on, the longest gap between two turns of the event loop.
class LoopStallWatch {
public:
    LoopStallWatch() {
        since_.start();
        tick_.setInterval(5);
        QObject::connect(&tick_, &QTimer::timeout,
                         [this] { longestMs_ = std::max<int64_t>(longestMs_, since_.restart()); });
        tick_.start();
    }
    int64_t LongestMs() const { return std::max<int64_t>(longestMs_, since_.elapsed()); }

private:
    QTimer tick_;
    QElapsedTimer since_;
    int64_t longestMs_ = 0;
};

}  // namespace testsupport
