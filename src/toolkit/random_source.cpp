#include "random_source.h"

#include <bit>
#include <chrono>
#include <utility>

namespace brivadoro {

namespace {

constexpr std::uint64_t kGoldenGamma = 0x9E3779B97F4A7C15ULL;

constexpr std::uint64_t scramble(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace

std::uint64_t MixingRandom::systemClock() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}

MixingRandom::MixingRandom(std::uint64_t state, Clock clock) : state_(state), clock_(std::move(clock)) {}

float MixingRandom::toUnitInterval(std::uint64_t bits) {
    constexpr float kStep = 1.0F / 16777216.0F; // 2^-24: a float holds every multiple of it below 1 exactly
    return static_cast<float>(bits >> 40) * kStep;
}

std::uint64_t MixingRandom::next() {
    state_ += kGoldenGamma;
    return scramble(state_);
}

float MixingRandom::draw() {
    return toUnitInterval(next());
}

void MixingRandom::mixIn(std::uint64_t value) {
    state_ = scramble(state_ ^ scramble(value + kGoldenGamma));
}

void MixingRandom::reseedFromClock() {
    mixIn(clock_());
}

void MixingRandom::reseed(double number) {
    mixIn(std::bit_cast<std::uint64_t>(number + 0.0));
}

Int16 drawFloored(RandomSource& random, double scale, double offset) {
    return Int16::floored(double(random.draw()) * scale + offset);
}

} // namespace brivadoro
