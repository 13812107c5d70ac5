#include "compare/PeriodicGiveWay.h"

#include "framework/Thread.h"

namespace {

constexpr auto kInterval = std::chrono::milliseconds(5);
constexpr unsigned kCallsBetweenClockReads = 32;

}  // namespace

void PeriodicGiveWay::operator()() {
    if (++calls_ % kCallsBetweenClockReads != 0) return;
    auto now = std::chrono::steady_clock::now();
    if (now - last_ < kInterval) return;
    fw::GiveWay();
    last_ = std::chrono::steady_clock::now();
}
