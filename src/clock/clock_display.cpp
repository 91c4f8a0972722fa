#include "clock_display.h"

#include "toolkit/number_text.h"

namespace brivadoro {

QString clockDisplayText(Int16 hours, Int16 minutes, float seconds) {
    return patternTwoDigits(hours.value()) + u':' + patternTwoDigits(minutes.value()) + u':' +
           patternTwoDigits(seconds);
}

} // namespace brivadoro
