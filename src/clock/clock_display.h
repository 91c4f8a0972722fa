#pragma once

#include <QString>
#include <QStringView>

#include "toolkit/int16.h"

namespace brivadoro {

// The clock label when time is up: Timer1_Timer ends the game on a label equal to it.
inline constexpr QStringView kClockAtZero = u"00:00:00";

// The clock label's text: hours, minutes and seconds, each with the pattern "00", joined by ":".
QString clockDisplayText(Int16 hours, Int16 minutes, float seconds);

} // namespace brivadoro
