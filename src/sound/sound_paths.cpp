#include "sound_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringBuilder>

#include "toolkit/install_layout.h"

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
    QString besideProgram = programFolder % kSoundFolder % fileName(effect);
    if (QFileInfo::exists(besideProgram))
        return besideProgram;
    const QString installed =
        QDir::cleanPath(programFolder % u'/' % kInstalledSoundFolder % u'/' % fileName(effect));
    return QFileInfo::exists(installed) ? installed : besideProgram;
}

SoundFinder programSoundFinder() {
    return [programFolder = QCoreApplication::applicationDirPath()](SoundEffect effect) {
        return soundPath(programFolder, effect);
    };
}

} // namespace brivadoro
