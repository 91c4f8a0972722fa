#pragma once

#include <bit>
#include <cstdint>

namespace brivadoro {

// The few parts of SDL 2's audio that the player uses, declared here as SDL declares them, so that
// the build needs no SDL at all: SDL 2 keeps its binary interface across every 2.x release.
// tests/sound checks the structure and the constants against SDL's own headers.
namespace sdl {

struct RWops;       // an open file; SDL's own
struct AudioStream; // a format converter; SDL's own

using AudioFormat = std::uint16_t;
using AudioDeviceId = std::uint32_t;
using AudioCallback = void (*)(void* userdata, std::uint8_t* stream, int length);

struct AudioSpec {
    int frequency = 0;
    AudioFormat format = 0;
    std::uint8_t channels = 0;
    std::uint8_t silence = 0;  // the byte that fills a silent buffer, set by SDL
    std::uint16_t samples = 0; // frames in one buffer the device asks for
    std::uint16_t padding = 0;
    std::uint32_t size = 0; // bytes in that buffer, set by SDL
    AudioCallback callback = nullptr;
    void* userdata = nullptr;
};

constexpr std::uint32_t kInitAudio = 0x10;
constexpr AudioFormat kSigned16Native = std::endian::native == std::endian::little ? 0x8010 : 0x9010;
constexpr int kAllowFrequencyChange = 0x1;
constexpr int kAllowFormatChange = 0x2;
constexpr int kAllowChannelsChange = 0x4;
constexpr const char* kHintNoSignalHandlers = "SDL_NO_SIGNAL_HANDLERS";
constexpr const char* kHintAudioDeviceAppName = "SDL_AUDIO_DEVICE_APP_NAME";

} // namespace sdl

// ALSA's snd_lib_error_handler_t, declared as in alsa/error.h so that the build needs no ALSA headers.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int err, const char* fmt,
                                  ...);

// The SDL functions the player uses, loaded at run time: the game starts without SDL, and it plays
// silently where SDL is missing.
struct SdlAudioLibrary {
    int (*setHint)(const char* name, const char* value) = nullptr;
    int (*initSubSystem)(std::uint32_t flags) = nullptr;
    void (*quitSubSystem)(std::uint32_t flags) = nullptr;
    void (*cleanUpThread)() = nullptr;
    sdl::RWops* (*openFile)(const char* file, const char* mode) = nullptr;
    sdl::AudioSpec* (*loadWav)(sdl::RWops* source, int freeSource, sdl::AudioSpec* wavFormat,
                               std::uint8_t** buffer, std::uint32_t* length) = nullptr;
    void (*freeWav)(std::uint8_t* buffer) = nullptr;
    sdl::AudioStream* (*newAudioStream)(sdl::AudioFormat fromFormat, std::uint8_t fromChannels,
                                        int fromFrequency, sdl::AudioFormat toFormat, std::uint8_t toChannels,
                                        int toFrequency) = nullptr;
    int (*putInStream)(sdl::AudioStream* stream, const void* buffer, int length) = nullptr;
    int (*flushStream)(sdl::AudioStream* stream) = nullptr;
    int (*availableInStream)(sdl::AudioStream* stream) = nullptr;
    int (*getFromStream)(sdl::AudioStream* stream, void* buffer, int length) = nullptr;
    void (*freeAudioStream)(sdl::AudioStream* stream) = nullptr;
    sdl::AudioDeviceId (*openAudioDevice)(const char* device, int isCapture, const sdl::AudioSpec* desired,
                                          sdl::AudioSpec* obtained, int allowedChanges) = nullptr;
    void (*pauseAudioDevice)(sdl::AudioDeviceId device, int pause) = nullptr;
    void (*lockAudioDevice)(sdl::AudioDeviceId device) = nullptr;
    void (*unlockAudioDevice)(sdl::AudioDeviceId device) = nullptr;
    void (*closeAudioDevice)(sdl::AudioDeviceId device) = nullptr;
    // ALSA's, which SDL probes when no sound server answers; nullptr where ALSA is not installed.
    int (*setAlsaErrorHandler)(AlsaErrorHandler) = nullptr;

    // Loads SDL and finds every function; false when any is missing.
    bool load();
};

} // namespace brivadoro
