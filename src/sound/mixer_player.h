#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "mixer_library.h"
#include "sound_paths.h"
#include "sound_player.h"

namespace brivadoro {

// Fills a MixerLibrary; false when the functions cannot all be had.
using MixerLoader = std::function<bool(MixerLibrary&)>;

// Plays the effects' WAV files through SDL_mixer on one channel, so that a new sound halts the one
// still playing. Each file is found and decoded once and kept; a missing or unplayable file, or no
// audio device or sound server, gives silence. One player serves the whole program.
class MixerPlayer final : public SoundPlayer {
public:
    // Silent until started: the sound system is large, and a program's first window should not
    // wait while it loads.
    explicit MixerPlayer(SoundFinder find = programSoundFinder(), MixerLoader load = &MixerLibrary::load);
    ~MixerPlayer() override;

    MixerPlayer(const MixerPlayer&) = delete;
    MixerPlayer& operator=(const MixerPlayer&) = delete;

    // Loads the library, opens the audio device and decodes every effect's file, as find names it,
    // on a thread of its own, and returns at once; until that is done every play is silent and
    // none is kept for later. Later calls do nothing.
    void start();

    void play(SoundEffect effect) override;

    // Waits until the device that start() began to open is open, or found missing; at once when
    // the player was never started.
    void waitUntilOpen();
    // Whether an audio device is open; without one every play is silent.
    [[nodiscard]] bool audible() const { return open_.load(std::memory_order_acquire) && audible_; }

private:
    struct FreeChunk {
        decltype(&Mix_FreeChunk) free = nullptr;
        void operator()(Mix_Chunk* chunk) const { free(chunk); }
    };
    using Chunk = std::unique_ptr<Mix_Chunk, FreeChunk>;

    // The effect's decoded file, or nullptr when it cannot be played; a missing file is looked for
    // again at the effect's next play.
    Mix_Chunk* chunkFor(SoundEffect effect);

    void openDevice();

    SoundFinder find_;
    MixerLoader load_;
    // Written by the opening thread only, before it sets open_.
    MixerLibrary mixer_;
    bool audible_ = false;
    std::map<SoundEffect, Chunk> chunks_;
    std::atomic<bool> open_ = false;
    std::thread opener_;
};

} // namespace brivadoro
