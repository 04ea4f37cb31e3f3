#pragma once

// One row of the performance report's goal table: a figure beside its floor,
// their ratio and the goal the ratio is held to. bench/report.sh gathers the
// rows of every benchmark into one table.

#include <cstdio>
#include <string>

enum class Goal { AtMost, AtLeast };

inline void printGoalRow(const std::string& path, const std::string& measured,
                         const std::string& floor, double ratio, Goal goal, double limit) {
    const bool met = goal == Goal::AtMost ? ratio <= limit : ratio >= limit;
    std::printf("goal | %s | %s | %s | %.2f | %s %.1f | %s\n", path.c_str(), measured.c_str(),
                floor.c_str(), ratio, goal == Goal::AtMost ? "≤" : "≥", limit,
                met ? "met" : "NOT met");
}

// A figure with its unit, as the table shows it: "254 ms", "4,357/s".
inline std::string figure(double value, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
