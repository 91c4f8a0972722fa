#pragma once

#include <map>
#include <memory>
#include <utility>

#include <QString>
#include <QStringList>

#include "sound/mixer_library.h"

namespace brivadoro::testing {

// A sound started on a channel, as SDL_mixer was asked to play it.
struct Started {
    const Mix_Chunk* chunk = nullptr;
    int loops = 0;
    int ticks = 0;
};

// SDL and SDL_mixer as far as the player uses them, keeping what a real mixer keeps: whether its
// audio has started and its device is open, which sound plays on which channel, and which files and
// decoded sounds are held. The player's library holds plain functions, so they reach this through
// `mixer`, which a test makes afresh before each case.
struct MixerState {
    bool noSoundSystem = false;
    bool deviceRefused = false;

    int calls = 0; // to any of the functions
    bool audioStarted = false;
    bool deviceOpen = false;
    int channels = 0;
    std::map<int, Started> playing;
    QStringList started; // every sound started, in order, as describe() tells it
    int decodes = 0;
    std::map<const SDL_RWops*, std::pair<std::unique_ptr<SDL_RWops>, QString>> files;
    std::map<const Mix_Chunk*, std::pair<std::unique_ptr<Mix_Chunk>, QString>> chunks;
    QStringList misuses; // what a real mixer would refuse, or fail on

    // "<file name> once", or how else it plays.
    [[nodiscard]] QString describe(const Started& sound) const;
    [[nodiscard]] QStringList nowPlaying() const;
};

extern MixerState mixer;

// Fills the table with fakes that act on `mixer`; ALSA, which they do not stand for, stays out.
void fillWithFakes(MixerLibrary& library);

} // namespace brivadoro::testing
