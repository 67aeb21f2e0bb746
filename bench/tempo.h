#pragma once
// Timing for the benchmarks: seconds since a moment, seconds a piece of
// work takes, and the median of several runs.
#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

inline double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <typename Work>
double seconds(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return seconds_since(start);
}

// The middle value; the mean of the two middle ones for an even count.
inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace bench
