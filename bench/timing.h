#pragma once

#include <algorithm>
#include <chrono>
#include <iterator>
#include <vector>

using BenchClock = std::chrono::steady_clock;

inline double Milliseconds(BenchClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median of the figures that were measured (not negative); -1 for none.
inline double MedianOf(const std::vector<double>& values) {
    std::vector<double> measured;
    std::copy_if(values.begin(), values.end(), std::back_inserter(measured),
                 [](double v) { return v >= 0; });
    return measured.empty() ? -1 : Median(measured);
}
