// The player declares the parts of SDL it uses instead of including SDL's headers; here, at compile
// time, its one structure and its constants must match SDL's own, where a slip would otherwise show
// only as silence, a long delay or a crash on some machine.
#include <cstddef>
#include <string_view>

#include <SDL.h>

#include "sound/sdl_audio_library.h"

namespace sdl = brivadoro::sdl;

static_assert(sizeof(sdl::AudioSpec) == sizeof(SDL_AudioSpec));
static_assert(offsetof(sdl::AudioSpec, frequency) == offsetof(SDL_AudioSpec, freq));
static_assert(offsetof(sdl::AudioSpec, format) == offsetof(SDL_AudioSpec, format));
static_assert(offsetof(sdl::AudioSpec, channels) == offsetof(SDL_AudioSpec, channels));
static_assert(offsetof(sdl::AudioSpec, silence) == offsetof(SDL_AudioSpec, silence));
static_assert(offsetof(sdl::AudioSpec, samples) == offsetof(SDL_AudioSpec, samples));
static_assert(offsetof(sdl::AudioSpec, callback) == offsetof(SDL_AudioSpec, callback));
static_assert(offsetof(sdl::AudioSpec, userdata) == offsetof(SDL_AudioSpec, userdata));

static_assert(sdl::kInitAudio == SDL_INIT_AUDIO);
static_assert(sdl::kSigned16Native == AUDIO_S16SYS);
static_assert(sdl::kAllowFrequencyChange == SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
static_assert(sdl::kAllowFormatChange == SDL_AUDIO_ALLOW_FORMAT_CHANGE);
static_assert(sdl::kAllowChannelsChange == SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
static_assert(std::string_view(sdl::kHintNoSignalHandlers) == SDL_HINT_NO_SIGNAL_HANDLERS);
static_assert(std::string_view(sdl::kHintAudioDeviceAppName) == SDL_HINT_AUDIO_DEVICE_APP_NAME);
