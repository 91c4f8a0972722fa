#include "sdl_audio_library.h"

#include <QLibrary>

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr int kSdlMajorVersion = 0; // libSDL2-2.0.so.0
constexpr int kAlsaMajorVersion = 2;

template <typename Function> bool resolve(QLibrary& library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

} // namespace

bool SdlAudioLibrary::load() {
    // A loaded library stays loaded for the rest of the run; the QLibrary object may go.
    QLibrary sdl(u"SDL2-2.0"_s, kSdlMajorVersion);
    const bool found =
        resolve(sdl, "SDL_SetHint", setHint) && resolve(sdl, "SDL_InitSubSystem", initSubSystem) &&
        resolve(sdl, "SDL_QuitSubSystem", quitSubSystem) && resolve(sdl, "SDL_TLSCleanup", cleanUpThread) &&
        resolve(sdl, "SDL_RWFromFile", openFile) && resolve(sdl, "SDL_LoadWAV_RW", loadWav) &&
        resolve(sdl, "SDL_FreeWAV", freeWav) && resolve(sdl, "SDL_NewAudioStream", newAudioStream) &&
        resolve(sdl, "SDL_AudioStreamPut", putInStream) &&
        resolve(sdl, "SDL_AudioStreamFlush", flushStream) &&
        resolve(sdl, "SDL_AudioStreamAvailable", availableInStream) &&
        resolve(sdl, "SDL_AudioStreamGet", getFromStream) &&
        resolve(sdl, "SDL_FreeAudioStream", freeAudioStream) &&
        resolve(sdl, "SDL_OpenAudioDevice", openAudioDevice) &&
        resolve(sdl, "SDL_PauseAudioDevice", pauseAudioDevice) &&
        resolve(sdl, "SDL_LockAudioDevice", lockAudioDevice) &&
        resolve(sdl, "SDL_UnlockAudioDevice", unlockAudioDevice) &&
        resolve(sdl, "SDL_CloseAudioDevice", closeAudioDevice);
    if (found) {
        QLibrary alsa(u"asound"_s, kAlsaMajorVersion);
        resolve(alsa, "snd_lib_error_set_handler", setAlsaErrorHandler);
    }
    return found;
}

} // namespace brivadoro
