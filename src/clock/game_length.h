#pragma once

namespace brivadoro {

// A game lasts five minutes: the clock starts at 00:05:00 and the seconds left at 300.
inline constexpr int kMinutesPerGame = 5;
inline constexpr int kSecondsPerGame = kMinutesPerGame * 60;

} // namespace brivadoro
