#pragma once

// Ours beside a peer, measured fairly: the two run in pairs, one right after the other, the order
// alternating from pair to pair (ours first in even pairs), so that neither always meets a cold
// or a warm machine; the figures are medians over the pairs, and every ratio is ours / peer.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

constexpr int kPairs = 3;

inline bool OursFirst(int pair) {
    return pair % 2 == 0;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The times of both sides, pair by pair.
struct PairedTimes {
    std::vector<double> ours;
    std::vector<double> peer;

    void Add(double o, double p) {
        ours.push_back(o);
        peer.push_back(p);
    }
    // The median of the pairs' own ratios: a pair that met a slow moment counts once.
    double Ratio() const {
        std::vector<double> ratios;
        for (size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / peer[i]);
        return Median(ratios);
    }
};

inline std::string List(const std::vector<double>& values) {
    std::string text;
    for (double v : values) {
        char number[32];
        std::snprintf(number, sizeof number, "%s%.3f", text.empty() ? "" : ", ", v);
        text += number;
    }
    return text;
}

// "<name> ours: <median> s (each pair)", the peer's likewise, and "<name> time ratio
// (ours/<peer>)".
inline void ReportTimes(const std::string& name, const std::string& peerName,
                        const PairedTimes& t) {
    std::printf("%s ours: %.3f s (median of %zu: %s)\n", name.c_str(), Median(t.ours),
                t.ours.size(), List(t.ours).c_str());
    std::printf("%s %s: %.3f s (median of %zu: %s)\n", name.c_str(), peerName.c_str(),
                Median(t.peer), t.peer.size(), List(t.peer).c_str());
    std::printf("%s time ratio (ours/%s): %.2f\n", name.c_str(), peerName.c_str(), t.Ratio());
}

// "<name> <what>: ours <median>, <peer> <median> (each pair)": a count measured per pair, such as
// the commands each side sent.
inline void ReportCounts(const std::string& name, const std::string& what,
                         const std::string& peerName, const PairedTimes& t) {
    std::printf("%s %s: ours %.2f, %s %.2f (medians of %zu: ours %s; %s %s)\n", name.c_str(),
                what.c_str(), Median(t.ours), peerName.c_str(), Median(t.peer), t.ours.size(),
                List(t.ours).c_str(), peerName.c_str(), List(t.peer).c_str());
}

}  // namespace bench
