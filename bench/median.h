// The benchmarks' one way of timing: the median of a few rounds, in milliseconds.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

template <typename Fn>
double MedianMs(int rounds, Fn&& fn) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        fn();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
