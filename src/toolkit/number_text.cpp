#include "number_text.h"

#include <cmath>

namespace brivadoro {

namespace {

// Rounds halves away from zero, as number patterns do, and zero-fills the digits to minDigits.
QString patterned(double value, int minDigits) {
    const double whole = std::round(value);
    const QString digits = QString::number(std::fabs(whole), 'f', 0).rightJustified(minDigits, u'0');
    return whole < 0 ? u'-' + digits : digits;
}

} // namespace

QString decimalText(Int16 number) {
    return QString::number(number.value());
}

QString patternTwoDigits(double value) {
    return patterned(value, 2);
}

QString patternOneDigit(double value) {
    return patterned(value, 1);
}

} // namespace brivadoro
