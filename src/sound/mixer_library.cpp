#include "mixer_library.h"

#include <QLibrary>

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr int kSdlMajorVersion = 0; // the libraries' sonames end in .so.0
constexpr int kAlsaMajorVersion = 2;

template <typename Function> bool resolve(QLibrary& library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

} // namespace

bool MixerLibrary::load() {
    // Loaded libraries stay loaded for the rest of the run; the QLibrary objects may go.
    QLibrary sdl(u"SDL2-2.0"_s, kSdlMajorVersion);
    QLibrary mixer(u"SDL2_mixer-2.0"_s, kSdlMajorVersion);
    const bool found =
        resolve(sdl, "SDL_SetHint", setHint) && resolve(sdl, "SDL_InitSubSystem", initSubSystem) &&
        resolve(sdl, "SDL_QuitSubSystem", quitSubSystem) && resolve(sdl, "SDL_TLSCleanup", cleanUpThread) &&
        resolve(sdl, "SDL_RWFromFile", openFile) && resolve(mixer, "Mix_OpenAudio", openAudio) &&
        resolve(mixer, "Mix_CloseAudio", closeAudio) &&
        resolve(mixer, "Mix_AllocateChannels", allocateChannels) &&
        resolve(mixer, "Mix_LoadWAV_RW", loadWav) && resolve(mixer, "Mix_FreeChunk", freeChunk) &&
        resolve(mixer, "Mix_PlayChannelTimed", playChannel) && resolve(mixer, "Mix_HaltChannel", haltChannel);
    if (found) {
        QLibrary alsa(u"asound"_s, kAlsaMajorVersion);
        resolve(alsa, "snd_lib_error_set_handler", setAlsaErrorHandler);
    }
    return found;
}

} // namespace brivadoro
