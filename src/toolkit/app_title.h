#pragma once

#include <string_view>

namespace brivadoro {

// The game's name as the player sees it: the board's title, the title of every box given none of
// its own, and the name the sound device goes by.
inline constexpr std::string_view kAppTitle = "Brivadoro";

} // namespace brivadoro
