#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <QElapsedTimer>

namespace brivadoro::bench {

struct Timing {
    double medianMs;
    double p99Ms;
};

// Runs action `runs` times and returns the median and the 99th percentile of its wall time.
inline Timing measure(int runs, const std::function<void()>& action) {
    std::vector<double> ms;
    ms.reserve(std::size_t(runs));
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        clock.start();
        action();
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 99 / 100)]};
}

inline void report(const char* what, Timing timing, double limitMs) {
    std::printf("%-44s median %8.4f ms   p99 %8.4f ms   (limit %.2f ms) %s\n", what, timing.medianMs,
                timing.p99Ms, limitMs, timing.medianMs < limitMs ? "ok" : "OVER");
}

} // namespace brivadoro::bench
