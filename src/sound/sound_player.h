#pragma once

namespace brivadoro {

// The game's three effects: a hit's shot, a miss's explosion and the launch's laser.
enum class SoundEffect { Shot, Explosion, Laser };

// Plays one effect without waiting for it; a new sound cuts off the one still playing, and any
// failure is silent.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(SoundEffect effect) = 0;
};

} // namespace brivadoro
