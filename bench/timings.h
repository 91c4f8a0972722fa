#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace brivadoro::bench {

// Wall-clock timings of one operation, reported as median and upper percentiles in milliseconds.
class Timings {
public:
    template <typename Operation> void time(Operation&& operation) {
        const auto start = std::chrono::steady_clock::now();
        operation();
        const auto end = std::chrono::steady_clock::now();
        millis_.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }

    void report(const char* name) {
        std::sort(millis_.begin(), millis_.end());
        std::printf("%-34s n=%5zu  median %8.4f ms  p90 %8.4f ms  p99 %8.4f ms  max %8.4f ms\n", name,
                    millis_.size(), at(0.5), at(0.9), at(0.99), millis_.empty() ? 0.0 : millis_.back());
    }

private:
    [[nodiscard]] double at(double fraction) const {
        if (millis_.empty())
            return 0;
        return millis_[std::min(millis_.size() - 1, std::size_t(fraction * double(millis_.size())))];
    }

    std::vector<double> millis_;
};

} // namespace brivadoro::bench
