#include "sound_paths.h"

#include <QCoreApplication>
#include <QStringBuilder>

namespace brivadoro {

namespace {

constexpr QStringView kSoundFolder = u"/suoni/";

QStringView fileName(SoundEffect effect) {
    switch (effect) {
    case SoundEffect::Shot:
        return u"sparo.wav";
    case SoundEffect::Explosion:
        return u"esplosi.wav";
    case SoundEffect::Laser:
        break;
    }
    return u"laser.wav";
}

} // namespace

QString soundPath(const QString& programFolder, SoundEffect effect) {
    return programFolder % kSoundFolder % fileName(effect);
}

QString soundPath(SoundEffect effect) {
    return soundPath(QCoreApplication::applicationDirPath(), effect);
}

QStringList gameSoundPaths() {
    return {soundPath(SoundEffect::Shot), soundPath(SoundEffect::Explosion), soundPath(SoundEffect::Laser)};
}

} // namespace brivadoro
