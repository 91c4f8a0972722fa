#pragma once

#include <QString>

#include "int16.h"

namespace brivadoro {

// The digits alone, "-" in front when negative, no leading blank.
QString decimalText(Int16 number);

// The patterns "00" and "#0": halves rounded away from zero, then zero-filled to two digits or one.
QString patternTwoDigits(double value);
QString patternOneDigit(double value);

} // namespace brivadoro
