// Wall-clock timing for the benchmarks: a stopwatch, and the median and worst
// of repeated runs.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace sw::bench {

class Stopwatch {
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()) {}
    double Milliseconds() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start)
            .count();
    }

private:
    std::chrono::steady_clock::time_point m_start;
};

struct Timings {
    std::vector<double> runs; // milliseconds, in run order

    double Median() const;
    double Mean() const;
    double Worst() const;
};

// Runs `prepare` (not timed) and then `work` (timed) `count` times.
Timings Repeat(int count, const std::function<void()>& prepare, const std::function<void()>& work);

// "0.42 ms", "12.3 ms", "1,234 ms".
std::string FormatMs(double milliseconds);
// "65,535".
std::string FormatCount(long long count);
// "x2.0".
std::string FormatRatio(double ratio);

} // namespace sw::bench
