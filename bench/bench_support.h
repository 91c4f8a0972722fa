#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

#include <QByteArray>
#include <QtGlobal>

namespace brivadoro::bench {

// Milliseconds taken by each run of something measured.
struct Samples {
    std::vector<double> ms;

    [[nodiscard]] double median() const {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    [[nodiscard]] double worst() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }

    // Prints the figures and whether the worst run stays under the limit.
    bool report(const char* what, double limitMs) const {
        const bool within = worst() < limitMs;
        std::printf("%-45s runs %3zu  median %7.3f ms  worst %7.3f ms  limit %.0f ms  %s\n", what, ms.size(),
                    median(), worst(), limitMs, within ? "ok" : "OVER");
        return within;
    }
};

// Runs the widgets offscreen unless a platform is asked for.
inline void preferOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
}

} // namespace brivadoro::bench
