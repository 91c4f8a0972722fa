#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

namespace brivadoro::bench {

// Wall-clock timings of one operation in milliseconds, reported as median, upper percentiles and
// worst, and checked against a limit.
class Timings {
public:
    // Which figure a limit applies to.
    enum class Figure { Median, P99, Worst };

    template <typename Operation> void time(Operation&& operation) {
        const auto start = std::chrono::steady_clock::now();
        operation();
        const auto end = std::chrono::steady_clock::now();
        add(std::chrono::duration<double, std::milli>(end - start).count());
    }

    void add(double ms) {
        millis_.push_back(ms);
        sorted_ = false;
    }
    [[nodiscard]] std::size_t count() const { return millis_.size(); }

    void report(const char* name) { print(name, "\n"); }

    // Prints the figures and whether the chosen one stays under the limit; returns that.
    bool report(const char* name, Figure figure, double limitMs) {
        const double value = figure == Figure::Median ? at(0.5) : figure == Figure::P99 ? at(0.99) : at(1.0);
        const bool within = value < limitMs;
        std::array<char, 64> verdict{};
        std::snprintf(verdict.data(), verdict.size(), "  limit %.2f ms %s\n", limitMs,
                      within ? "ok" : "OVER");
        print(name, verdict.data());
        return within;
    }

private:
    void print(const char* name, const char* tail) {
        std::printf("%-44s n=%5zu  median %8.4f ms  p90 %8.4f ms  p99 %8.4f ms  max %8.4f ms%s", name,
                    millis_.size(), at(0.5), at(0.9), at(0.99), at(1.0), tail);
    }

    [[nodiscard]] double at(double fraction) {
        if (millis_.empty())
            return 0;
        if (!sorted_)
            std::sort(millis_.begin(), millis_.end());
        sorted_ = true;
        return millis_[std::min(millis_.size() - 1, std::size_t(fraction * double(millis_.size())))];
    }

    std::vector<double> millis_;
    bool sorted_ = true;
};

} // namespace brivadoro::bench
