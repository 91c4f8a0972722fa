#pragma once

#include <QString>
#include <QStringView>

#include "toolkit/int16.h"

namespace brivadoro {

// The countdown's display when time is up; the end test compares the clock label with it exactly.
inline constexpr QStringView kClockAtZero = u"00:00:00";

// Hours, minutes and seconds, each with the pattern "00", joined by ":".
QString clockDisplayText(Int16 hours, Int16 minutes, float seconds);

} // namespace brivadoro
