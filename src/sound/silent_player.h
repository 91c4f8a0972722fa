#pragma once

#include "sound_player.h"

namespace brivadoro {

// Plays nothing: where no audio back end can be had.
class SilentPlayer final : public SoundPlayer {
public:
    void play(SoundEffect /*effect*/) override {}
};

} // namespace brivadoro
