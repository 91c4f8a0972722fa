#pragma once

#include <map>
#include <memory>

#include <QStringList>

#include "sound_player.h"

struct Mix_Chunk;

namespace brivadoro {

// Plays WAV files through SDL_mixer on one channel, so that a new sound halts the one still
// playing. Files are decoded once and kept; a missing or unplayable file, or no audio device or
// sound server, gives silence. One player serves the whole program.
class MixerPlayer final : public SoundPlayer {
public:
    // Opens the audio device and decodes the given files now, so that playing them costs no decoding.
    explicit MixerPlayer(const QStringList& preload = {});
    ~MixerPlayer() override;

    MixerPlayer(const MixerPlayer&) = delete;
    MixerPlayer& operator=(const MixerPlayer&) = delete;

    void playWave(const QString& path) override;

    // Whether an audio device was opened; without one every play is silent.
    [[nodiscard]] bool audible() const { return audible_; }

private:
    struct FreeChunk {
        void operator()(Mix_Chunk* chunk) const;
    };
    using Chunk = std::unique_ptr<Mix_Chunk, FreeChunk>;

    // The decoded file, or nullptr when it cannot be played; a missing file is looked for again
    // at its next play.
    Mix_Chunk* chunkFor(const QString& path);

    bool audible_ = false;
    std::map<QString, Chunk> chunks_;
};

} // namespace brivadoro
