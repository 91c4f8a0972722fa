// Times MixerPlayer::playWave on the built effects, as the game calls it: usage
// bench_sound [program folder], the folder holding "suoni" (by default the build folder).
// The sound server is whatever the environment names (PULSE_SERVER, SDL_AUDIODRIVER).

#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include "sound/mixer_player.h"
#include "sound/sound_paths.h"
#include "timings.h"

using namespace brivadoro;

namespace {

constexpr int kRuns = 1000;
constexpr int kPauseMs = 5; // lets the audio thread pick each sound up before the next cuts it off

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QDir(QCoreApplication::applicationDirPath() + u"/.."_qs).absolutePath();
    const QStringList paths{soundPath(folder, SoundEffect::Shot), soundPath(folder, SoundEffect::Explosion),
                            soundPath(folder, SoundEffect::Laser)};

    bench::Timings opening;
    std::unique_ptr<MixerPlayer> player;
    opening.time([&] {
        player = std::make_unique<MixerPlayer>(paths);
        player->waitUntilOpen();
    });
    std::printf("audio device opened: %s\n", player->audible() ? "yes" : "no");

    bench::Timings plays;
    for (int run = 0; run < kRuns; ++run) {
        const QString& path = paths[qsizetype(run) % paths.size()];
        plays.time([&] { player->playWave(path); });
        QThread::msleep(kPauseMs);
    }
    bench::Timings missing;
    for (int run = 0; run < kRuns; ++run)
        missing.time([&] { player->playWave(folder + u"/suoni/missing.wav"_qs); });
    bench::Timings closing;
    closing.time([&] { player.reset(); });

    opening.report("open device and decode");
    plays.report("playWave");
    missing.report("playWave, missing file");
    closing.report("close device");
    return 0;
}
