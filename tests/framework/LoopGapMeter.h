#pragma once

// How long the event loop stood still: a 10 ms timer notes the longest time between two of its
// runs, the time since the last one included. While the loop stands still the window does too.

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

class LoopGapMeter {
public:
    LoopGapMeter() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, sinceLast_.restart()); });
        sinceLast_.start();
        timer_.start();
    }
    qint64 LongestMs() const { return std::max(longest_, sinceLast_.elapsed()); }

private:
    QTimer timer_;
    QElapsedTimer sinceLast_;
    qint64 longest_ = 0;
};
