#pragma once

// Figures read against a goal rather than beside a peer: the event loop's longest stall, the time
// from the cancel key to the end of a stuck walk, the timer events of a program left idle. They
// are printed with their goal beside them, never asserted: they are this machine's speed as much
// as the program's. Measured over repeated runs, a figure prints as the median of its runs, each
// run's value beside it.

#include <cstdio>
#include <string>
#include <vector>

#include "bench/PairedRuns.h"

namespace bench {

struct Goal {
    const char* figure;  // what is measured, the line's start
    const char* unit;    // after the number
    const char* text;    // the goal, as the reader compares it
    int decimals;
};

inline const Goal kStallGoal{"longest stall", " ms", "at most 100 ms", 0};
inline const Goal kCancelGoal{"cancel of a stuck walk", " ms", "within 1000 ms", 0};
inline const Goal kIdleTimerGoal{"idle timer events per second", "",
                                 "2, the rate display's timer alone", 1};

inline std::string Number(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// "<figure>, <what>: N<unit> (goal: <goal>)", with more after the goal when given.
inline void PrintAgainstGoal(const Goal& goal, const std::string& what, double value,
                             const std::string& more = "") {
    std::printf("%s, %s: %s%s (goal: %s%s%s)\n", goal.figure, what.c_str(),
                Number(value, goal.decimals).c_str(), goal.unit, goal.text,
                more.empty() ? "" : "; ", more.c_str());
    std::fflush(stdout);
}

// The figures of repeated runs, in the order they were first noted.
class GoalFigures {
public:
    static void Note(const Goal& goal, const std::string& what, double value) {
        for (Figure& f : All())
            if (f.goal == &goal && f.what == what) {
                f.values.push_back(value);
                return;
            }
        All().push_back({&goal, what, {value}});
    }

    // Each figure as the median of its runs, the runs' values beside it.
    static void PrintMedians() {
        for (const Figure& f : All()) {
            std::string runs;
            for (double v : f.values)
                runs += (runs.empty() ? "" : ", ") + Number(v, f.goal->decimals);
            PrintAgainstGoal(*f.goal, f.what, Median(f.values),
                             "median of " + std::to_string(f.values.size()) + ": " + runs);
        }
    }

private:
    struct Figure {
        const Goal* goal;
        std::string what;
        std::vector<double> values;
    };
    static std::vector<Figure>& All() {
        static std::vector<Figure> figures;
        return figures;
    }
};

}  // namespace bench
