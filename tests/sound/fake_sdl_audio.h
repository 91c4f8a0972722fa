#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "sound/sdl_audio_library.h"

// The fake's own makings of SDL's opaque types.
namespace brivadoro::sdl {
struct RWops {
    QString path;
};
struct AudioStream {
    QByteArray converted;
};
} // namespace brivadoro::sdl

namespace brivadoro::testing {

// SDL's audio as far as the player uses it, keeping what a real SDL keeps: whether its audio has
// started and its device is open, paused or locked, and which files, decoded WAVs and converters are
// held. A fake WAV's samples are its file's bytes, in a format of kWavFrequency; the fake device plays
// at twice that, so a converter doubles every byte, and its silence is '.'. The player's library
// holds plain functions, so they reach this through `sdlAudio`, which a test makes afresh before each
// case.
struct SdlAudioState {
    static constexpr int kWavFrequency = 22050;

    bool noSoundSystem = false;
    bool deviceRefused = false;

    int calls = 0; // to any of the functions
    bool audioStarted = false;
    bool deviceOpen = false;
    bool paused = true;
    int locks = 0;
    sdl::AudioSpec device;
    int decodes = 0;
    int conversions = 0;
    std::map<const sdl::RWops*, std::unique_ptr<sdl::RWops>> files;
    std::map<const std::uint8_t*, QByteArray> wavs;
    std::map<const sdl::AudioStream*, std::unique_ptr<sdl::AudioStream>> streams;
    QStringList misuses; // what a real SDL would refuse, or fail on

    // The device asks the player for its next buffer of `length` bytes, as SDL's audio thread does;
    // a closed or paused device hears silence without asking.
    QString pull(int length);
};

extern SdlAudioState sdlAudio;

// Fills the table with fakes that act on `sdlAudio`; ALSA, which they do not stand for, stays out.
void fillWithFakes(SdlAudioLibrary& library);

} // namespace brivadoro::testing
