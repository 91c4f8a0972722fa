#include "clock/clock_display.h"
#include "clock/game_length.h"
#include "game.h"

namespace brivadoro {

namespace {
constexpr float kSecondsPerMinute = 60.0f;
constexpr int kLastMinute = 59;
} // namespace

void Game::resetClock() {
    board().Timer1().setEnabled(true);
    state_.clockHours = 0;
    state_.clockMinutes = kMinutesPerGame;
    state_.clockSeconds = 0.0f;
    state_.secondsLeft = kSecondsPerGame;
}

void Game::Timer1_Timer() {
    if (board().lblconto().caption() == kClockAtZero) {
        // Returns only when an end of game is already showing its boxes; this tick then does nothing.
        cmdExit_Click();
        return;
    }
    if (state_.clockSeconds == 0.0f) {
        if (state_.clockMinutes > 0) {
            state_.clockSeconds = kSecondsPerMinute;
            state_.clockMinutes -= 1;
        } else if (state_.clockMinutes == 0) {
            if (state_.clockHours > 0) {
                state_.clockMinutes = kLastMinute;
                state_.clockHours -= 1;
                state_.clockSeconds = kSecondsPerMinute;
            } else {
                state_.clockHours = 0;
                state_.clockMinutes = 0;
            }
        }
    }
    state_.clockSeconds -= 1.0f;
    state_.secondsLeft -= 1;
    board().lblconto().setCaption(
        clockDisplayText(state_.clockHours, state_.clockMinutes, state_.clockSeconds));
}

} // namespace brivadoro
