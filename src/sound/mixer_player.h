#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include <QStringList>

#include "mixer_library.h"
#include "sound_player.h"

namespace brivadoro {

// Fills a MixerLibrary; false when the functions cannot all be had.
using MixerLoader = std::function<bool(MixerLibrary&)>;

// Plays WAV files through SDL_mixer on one channel, so that a new sound halts the one still
// playing. Files are decoded once and kept; a missing or unplayable file, or no audio device or
// sound server, gives silence. One player serves the whole program.
class MixerPlayer final : public SoundPlayer {
public:
    // Loads the library, opens the audio device and decodes the given files on a thread of its own,
    // so that the game starts without waiting for the sound system; until that is done every play
    // is silent.
    explicit MixerPlayer(const QStringList& preload = {}, MixerLoader load = &MixerLibrary::load);
    ~MixerPlayer() override;

    MixerPlayer(const MixerPlayer&) = delete;
    MixerPlayer& operator=(const MixerPlayer&) = delete;

    void playWave(const QString& path) override;

    // Waits until the device has been opened, or found missing.
    void waitUntilOpen();
    // Whether an audio device is open; without one every play is silent.
    [[nodiscard]] bool audible() const { return open_.load(std::memory_order_acquire) && audible_; }

private:
    struct FreeChunk {
        decltype(&Mix_FreeChunk) free = nullptr;
        void operator()(Mix_Chunk* chunk) const { free(chunk); }
    };
    using Chunk = std::unique_ptr<Mix_Chunk, FreeChunk>;

    // The decoded file, or nullptr when it cannot be played; a missing file is looked for again
    // at its next play.
    Mix_Chunk* chunkFor(const QString& path);

    void openDevice(const QStringList& preload, const MixerLoader& load);

    // Written by the opening thread only, before it sets open_.
    MixerLibrary mixer_;
    bool audible_ = false;
    std::map<QString, Chunk> chunks_;
    std::atomic<bool> open_ = false;
    std::thread opener_;
};

} // namespace brivadoro
