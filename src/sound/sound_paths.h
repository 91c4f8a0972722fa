#pragma once

#include <QString>
#include <QStringList>

namespace brivadoro {

// The game's three effects, each a WAV file in the folder "suoni" beside the program.
enum class SoundEffect { Shot, Explosion, Laser };

// "<programFolder>/suoni/<file of the effect>"; nothing is checked, a missing file plays as silence.
QString soundPath(const QString& programFolder, SoundEffect effect);

// The effect's path under the program's folder, built anew at every call.
QString soundPath(SoundEffect effect);

// The paths of all three effects under the program's folder.
QStringList gameSoundPaths();

} // namespace brivadoro
