#pragma once

#include <QString>

namespace brivadoro {

// Plays one WAV file by its full path without waiting for it; a new sound cuts off the one still
// playing, and any failure is silent.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void playWave(const QString& path) = 0;
};

} // namespace brivadoro
