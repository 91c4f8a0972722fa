#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

namespace brivadoro {

// ALSA's snd_lib_error_handler_t, declared as in alsa/error.h so that the build needs no ALSA headers.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int err, const char* fmt,
                                  ...);

// The SDL_mixer functions the player uses, loaded at run time: the audio libraries are large, so
// the game starts without them, and it plays silently where they are missing.
struct MixerLibrary {
    decltype(&SDL_SetHint) setHint = nullptr;
    decltype(&SDL_InitSubSystem) initSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) quitSubSystem = nullptr;
    decltype(&SDL_TLSCleanup) cleanUpThread = nullptr;
    decltype(&SDL_RWFromFile) openFile = nullptr;
    decltype(&Mix_OpenAudio) openAudio = nullptr;
    decltype(&Mix_CloseAudio) closeAudio = nullptr;
    decltype(&Mix_AllocateChannels) allocateChannels = nullptr;
    decltype(&Mix_LoadWAV_RW) loadWav = nullptr;
    decltype(&Mix_FreeChunk) freeChunk = nullptr;
    decltype(&Mix_PlayChannelTimed) playChannel = nullptr;
    decltype(&Mix_HaltChannel) haltChannel = nullptr;
    // ALSA's, which SDL probes when no sound server answers; nullptr where ALSA is not installed.
    int (*setAlsaErrorHandler)(AlsaErrorHandler) = nullptr;

    // Loads SDL and SDL_mixer and finds every function; false when any of theirs is missing.
    bool load();
};

} // namespace brivadoro
