#pragma once

// The median of several runs' figures with the lowest and the highest: how
// each figure of the report that one run cannot settle is given.

#include <algorithm>
#include <vector>

struct Spread {
    double median = 0;
    double lowest = 0;
    double highest = 0;
};

// All three are 0 when there is no value.
inline Spread spreadOf(std::vector<double> values) {
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

inline double median(std::vector<double> values) {
    return spreadOf(std::move(values)).median;
}
