#pragma once

#include <QString>

#include "int16.h"

namespace brivadoro {

// Decimal text of a 16-bit integer: its digits, "-" in front when negative, no blanks.
QString decimalText(Int16 number);

// Number pattern "00": the value rounded to a whole number, at least two digits, zero-filled.
QString patternTwoDigits(double value);

// Number pattern "#0": the value rounded to a whole number, at least one digit.
QString patternOneDigit(double value);

} // namespace brivadoro
