#pragma once

// Ours beside a peer, measured fairly: the two run in pairs, one right after the other, the order
// alternating from pair to pair (ours first in even pairs), so that neither always meets a cold
// or a warm machine; the figures are medians over the pairs, and every ratio is ours / peer.
// Pairs are taken until the median ratio is steady: until its standard error, estimated from the
// middle half of the pairs' ratios, is within kSteadiness of it, so that two runs agree within
// about 10 %; a machine that is quiet gets there in fewer pairs than one that is busy. Beside
// every median stands the middle half of the values it is the median of: its spread.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

constexpr double kSteadiness = 0.03;

// How many pairs a benchmark takes: at least the first, so that the spread can be read, at most
// the second, so that a busy machine still ends in its time.
struct PairCount {
    int least;
    int most;
};

inline bool OursFirst(int pair) {
    return pair % 2 == 0;
}

// The value below which a share q of the values lie, between the two nearest where it falls
// between them.
inline double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(at);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (at - static_cast<double>(below)) * (values[above] - values[below]);
}

inline double Median(const std::vector<double>& values) {
    return Quantile(values, 0.5);
}

// "<median><unit> (median of N, middle half <low>-<high>)", each number as format prints it.
inline std::string MedianAndSpread(const std::vector<double>& values, const char* format,
                                   const char* unit = "") {
    auto number = [format](double v) {
        char text[32];
        std::snprintf(text, sizeof text, format, v);
        return std::string(text);
    };
    return number(Median(values)) + unit + " (median of " + std::to_string(values.size()) +
           ", middle half " + number(Quantile(values, 0.25)) + "-" +
           number(Quantile(values, 0.75)) + ")";
}

// The times of both sides, pair by pair.
struct PairedTimes {
    std::vector<double> ours;
    std::vector<double> peer;

    void Add(double o, double p) {
        ours.push_back(o);
        peer.push_back(p);
    }
    size_t Pairs() const { return ours.size(); }
    std::vector<double> Ratios() const {
        std::vector<double> ratios;
        for (size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / peer[i]);
        return ratios;
    }
    // The median of the pairs' own ratios: a pair that met a slow moment counts once.
    double Ratio() const { return Median(Ratios()); }
    // Whether the median ratio is known to within kSteadiness: the standard error of a median,
    // 1.25 standard deviations over the root of the count, the deviation read from the middle
    // half (which spans 1.35 of them where the values spread normally).
    bool Steady() const {
        const std::vector<double> ratios = Ratios();
        const double middleHalf = Quantile(ratios, 0.75) - Quantile(ratios, 0.25);
        const double error =
            1.25 * (middleHalf / 1.35) / std::sqrt(static_cast<double>(ratios.size()));
        return error <= kSteadiness * Ratio();
    }
};

// Runs pair(0), pair(1), ... until every one of the figures is steady, from count.least pairs on
// and at most count.most; false as soon as a pair fails.
inline bool RunPairsUntilSteady(PairCount count, const std::vector<const PairedTimes*>& figures,
                                const std::function<bool(int pair)>& pair) {
    for (int i = 0; i < count.most; ++i) {
        if (!pair(i)) return false;
        if (i + 1 >= count.least && std::all_of(figures.begin(), figures.end(),
                                                [](const PairedTimes* f) { return f->Steady(); }))
            break;
    }
    return true;
}

// "<name> ours: <median> s (spread)", the peer's likewise, and "<name> time ratio
// (ours/<peer>)" with the spread of the pairs' ratios.
inline void ReportTimes(const std::string& name, const std::string& peerName,
                        const PairedTimes& t) {
    std::printf("%s ours: %s\n", name.c_str(), MedianAndSpread(t.ours, "%.3f", " s").c_str());
    std::printf("%s %s: %s\n", name.c_str(), peerName.c_str(),
                MedianAndSpread(t.peer, "%.3f", " s").c_str());
    std::printf("%s time ratio (ours/%s): %s\n", name.c_str(), peerName.c_str(),
                MedianAndSpread(t.Ratios(), "%.2f").c_str());
}

// "<name> <what>: ours <median>, <peer> <median> (spreads)": a count measured per pair, such as
// the commands each side sent.
inline void ReportCounts(const std::string& name, const std::string& what,
                         const std::string& peerName, const PairedTimes& t) {
    std::printf("%s %s: ours %s, %s %s\n", name.c_str(), what.c_str(),
                MedianAndSpread(t.ours, "%.2f").c_str(), peerName.c_str(),
                MedianAndSpread(t.peer, "%.2f").c_str());
}

}  // namespace bench
