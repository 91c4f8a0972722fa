#pragma once

#include <cstdio>
#include <cstdlib>

#include <QString>

namespace brivadoro::fuzzing {

using namespace Qt::StringLiterals;

// Stops the run when a promise is broken; libFuzzer then keeps the input that broke it.
inline void require(bool kept, const char* promise) {
    if (!kept) {
        std::fprintf(stderr, "Broken promise: %s\n", promise);
        std::abort();
    }
}

// The score label as play leaves it: the score's digits, after a blank when the last event was a hit.
inline QString playLabel(int score, bool afterHit) {
    return (afterHit ? u" "_s : QString()) + QString::number(score);
}

} // namespace brivadoro::fuzzing
