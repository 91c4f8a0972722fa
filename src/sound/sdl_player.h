#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include "sdl_audio_library.h"
#include "sound_paths.h"
#include "sound_player.h"

namespace brivadoro {

// Fills an SdlAudioLibrary; false when the functions cannot all be had.
using SdlAudioLoader = std::function<bool(SdlAudioLibrary&)>;

// Plays the effects' WAV files through SDL's audio, one at a time: a new sound stops the one still
// playing and starts with the device's next buffer. Each file is found, decoded and converted to
// the device's format once and kept; a missing or unplayable file, or no audio device or sound
// server, gives silence. One player serves the whole program.
class SdlPlayer final : public SoundPlayer {
public:
    // Silent until started: SDL is large, and a program's first window should not wait while it
    // loads.
    explicit SdlPlayer(SoundFinder find = programSoundFinder(), SdlAudioLoader load = &SdlAudioLibrary::load);
    ~SdlPlayer() override;

    SdlPlayer(const SdlPlayer&) = delete;
    SdlPlayer& operator=(const SdlPlayer&) = delete;

    // Loads SDL, opens the audio device and decodes every effect's file, as find names it, on a
    // thread of its own, and returns at once; until that is done every play is silent and none is
    // kept for later. Later calls do nothing.
    void start();

    void play(SoundEffect effect) override;

    // Waits until the device that start() began to open is open, or found missing; at once when
    // the player was never started.
    void waitUntilOpen();
    // Whether an audio device is open; without one every play is silent.
    [[nodiscard]] bool audible() const { return open_.load(std::memory_order_acquire) && audible_; }

private:
    // An effect's samples in the device's format; empty when its file cannot be played.
    using Samples = std::vector<std::uint8_t>;

    // The effect's samples, decoded on the first call; a missing file is looked for again at the
    // effect's next play.
    const Samples* samplesFor(SoundEffect effect);
    [[nodiscard]] Samples decode(const QString& path) const;
    void openDevice();

    // SDL's audio thread asks for the next buffer of the device's output.
    static void fillBuffer(void* player, std::uint8_t* buffer, int length);

    SoundFinder find_;
    SdlAudioLoader load_;
    // Written by the opening thread only, before it sets open_.
    SdlAudioLibrary sdl_;
    sdl::AudioSpec device_;
    sdl::AudioDeviceId deviceId_ = 0;
    bool audible_ = false;
    std::map<SoundEffect, Samples> sounds_;
    // The sound playing and how far it has played: read and written by the audio thread, and by
    // play() while the device is locked.
    const Samples* playing_ = nullptr;
    std::size_t played_ = 0;
    std::atomic<bool> open_ = false;
    std::thread opener_;
};

} // namespace brivadoro
