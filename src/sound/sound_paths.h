#pragma once

#include <functional>

#include <QString>

#include "sound_player.h"

namespace brivadoro {

// "<programFolder>/suoni/<file of the effect>" when that file exists; otherwise the installed copy
// in the data folder when that exists; otherwise the first path, which plays as silence.
QString soundPath(const QString& programFolder, SoundEffect effect);

// Where a player finds each effect's file.
using SoundFinder = std::function<QString(SoundEffect)>;

// The running program's lookup. The program's folder is read once, here, so that the finder may
// then run on any thread.
SoundFinder programSoundFinder();

} // namespace brivadoro
