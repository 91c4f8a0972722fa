#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace brivadoro {

// Raised by 16-bit arithmetic whose result leaves -32768..32767.
class OverflowError : public std::overflow_error {
public:
    OverflowError() : std::overflow_error("overflow: a number left the range -32768..32767") {}
};

// The game's counters: a signed 16-bit integer whose every change is range-checked, so a result
// that does not fit raises OverflowError instead of wrapping round.
class Int16 {
public:
    static constexpr int min = std::numeric_limits<std::int16_t>::min();
    static constexpr int max = std::numeric_limits<std::int16_t>::max();

    constexpr Int16() = default;
    // Implicit, so that plain numbers mix with Int16 as with any integer; out of range still throws.
    // cppcheck-suppress noExplicitConstructor
    constexpr Int16(int value) : value_(checked(value)) {} // NOLINT(google-explicit-constructor)

    // The nearest integer, halves to even, as a float or double is stored into a 16-bit variable.
    static Int16 rounded(double value) {
        if (!(value >= min - 0.5 && value <= max + 0.5)) // also rejects NaN
            throw OverflowError();
        return Int16(static_cast<int>(std::nearbyint(value)));
    }

    // The largest whole number not above value, taken before the conversion.
    static Int16 floored(double value) {
        if (!(value >= min && value < max + 1.0))
            throw OverflowError();
        return Int16(static_cast<int>(std::floor(value)));
    }

    [[nodiscard]] constexpr int value() const { return value_; }

    constexpr Int16& operator+=(Int16 other) { return *this = Int16(value_ + other.value_); }
    constexpr Int16& operator-=(Int16 other) { return *this = Int16(value_ - other.value_); }
    friend constexpr Int16 operator+(Int16 a, Int16 b) { return a += b; }
    friend constexpr Int16 operator-(Int16 a, Int16 b) { return a -= b; }
    friend constexpr Int16 operator*(Int16 a, Int16 b) { return Int16(a.value_ * b.value_); }
    friend constexpr bool operator==(Int16 a, Int16 b) = default;
    // clang-tidy 14 takes the comparison with 0 that the compiler writes here for a null pointer.
    friend constexpr auto operator<=>(Int16 a, Int16 b) = default; // NOLINT(modernize-use-nullptr)

private:
    static constexpr std::int16_t checked(int value) {
        if (value < min || value > max)
            throw OverflowError();
        return static_cast<std::int16_t>(value);
    }

    std::int16_t value_ = 0;
};

} // namespace brivadoro
