// The benchmarks' one way of timing: the median of a few rounds, in milliseconds.
#pragma once

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

template <typename Clock, typename Fn>
double MedianOf(int rounds, Clock&& now, Fn&& fn) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        const double start = now();
        fn();
        times.push_back(now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Wall-clock time: what a user waits.
template <typename Fn>
double MedianMs(int rounds, Fn&& fn) {
    return MedianOf(
        rounds,
        [] {
            return std::chrono::duration<double, std::milli>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        },
        fn);
}

// Processor time of this process: the cost on one core of single-threaded work, which other
// work on a shared machine does not stretch the way it stretches the wall clock.
template <typename Fn>
double MedianCpuMs(int rounds, Fn&& fn) {
    return MedianOf(
        rounds, [] { return std::clock() * 1000.0 / CLOCKS_PER_SEC; }, fn);
}
