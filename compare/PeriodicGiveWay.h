#pragma once

#include <chrono>

// Gives way to the framework from inside a long loop, once every few milliseconds rather than on
// every pass: clicks, timers and sockets are still handled while the loop runs, and a loop over a
// hundred thousand entries does not spend its time in the event loop.
class PeriodicGiveWay {
public:
    void operator()();

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
    unsigned calls_ = 0;
};
