#pragma once

#include <QString>
#include <QStringList>

namespace brivadoro {

// The game's three effects, each a WAV file in the folder "suoni" beside the program, or in the
// installed data folder when the program runs from an installed tree.
enum class SoundEffect { Shot, Explosion, Laser };

// "<programFolder>/suoni/<file of the effect>" when that file exists; otherwise the installed copy
// when that exists; otherwise the first path, which plays as silence.
QString soundPath(const QString& programFolder, SoundEffect effect);

// The effect's path for the running program, looked up anew at every call.
QString soundPath(SoundEffect effect);

// The paths of all three effects for the running program.
QStringList gameSoundPaths();

} // namespace brivadoro
