#include "bench/timing.h"

#include <algorithm>
#include <cstdio>

namespace sw::bench {

double Timings::Median() const {
    if (runs.empty())
        return 0;
    std::vector<double> sorted = runs;
    std::sort(sorted.begin(), sorted.end());
    const size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

double Timings::Mean() const {
    double total = 0;
    for (double run : runs)
        total += run;
    return runs.empty() ? 0 : total / static_cast<double>(runs.size());
}

double Timings::Worst() const {
    return runs.empty() ? 0 : *std::max_element(runs.begin(), runs.end());
}

Timings Repeat(int count, const std::function<void()>& prepare, const std::function<void()>& work) {
    Timings timings;
    for (int i = 0; i < count; ++i) {
        if (prepare)
            prepare();
        Stopwatch watch;
        work();
        timings.runs.push_back(watch.Milliseconds());
    }
    return timings;
}

std::string FormatMs(double milliseconds) {
    char text[32];
    if (milliseconds < 1)
        std::snprintf(text, sizeof text, "%.3f ms", milliseconds);
    else if (milliseconds < 10)
        std::snprintf(text, sizeof text, "%.2f ms", milliseconds);
    else if (milliseconds < 1000)
        std::snprintf(text, sizeof text, "%.1f ms", milliseconds);
    else
        return FormatCount(static_cast<long long>(milliseconds + 0.5)) + " ms";
    return text;
}

std::string FormatCount(long long count) {
    std::string digits = std::to_string(count < 0 ? -count : count);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped.push_back(',');
        grouped.push_back(digits[i]);
    }
    return count < 0 ? "-" + grouped : grouped;
}

std::string FormatRatio(double ratio) {
    char text[32];
    std::snprintf(text, sizeof text, "x%.1f", ratio);
    return text;
}

} // namespace sw::bench
