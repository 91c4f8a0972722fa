#pragma once

#include <cstdint>
#include <functional>

#include "int16.h"

namespace brivadoro {

// The game's random source: draws in [0, 1) and two ways to reseed.
class RandomSource {
public:
    virtual ~RandomSource() = default;

    // A fresh draw r in single precision, 0 <= r < 1.
    virtual float draw() = 0;
    // Mixes the system clock into the state.
    virtual void reseedFromClock() = 0;
    // Mixes number into the current state: the same number twice gives different draws.
    virtual void reseed(double number) = 0;
};

// The game's whole-number draw: floor(r * scale + offset) for a fresh draw r widened to double.
Int16 drawFloored(RandomSource& random, double scale, double offset = 0);

// A 64-bit mixing generator (SplitMix64 steps). Its state and its clock are injected, so a game can
// be replayed exactly from a recorded state and a scripted clock.
class MixingRandom final : public RandomSource {
public:
    using Clock = std::function<std::uint64_t()>;

    // The system clock in nanoseconds.
    static std::uint64_t systemClock();

    explicit MixingRandom(std::uint64_t state = systemClock(), Clock clock = &MixingRandom::systemClock);

    float draw() override;
    void reseedFromClock() override;
    void reseed(double number) override;

    [[nodiscard]] std::uint64_t state() const { return state_; }

    // The top 24 bits of bits as a float in [0, 1): the largest value maps to 1 - 2^-24, never 1.
    static float toUnitInterval(std::uint64_t bits);

private:
    void mixIn(std::uint64_t value);
    std::uint64_t next();

    std::uint64_t state_;
    Clock clock_;
};

} // namespace brivadoro
