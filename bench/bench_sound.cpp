// Times MixerPlayer::play on the built effects, as the game calls it: usage
// bench_sound [program folder], the folder holding "suoni" (by default the build folder).
// The sound server is whatever the environment names (PULSE_SERVER, SDL_AUDIODRIVER).

#include <array>
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include "sound/mixer_player.h"
#include "sound/sound_paths.h"
#include "timings.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;

namespace {

constexpr int kRuns = 1000;
constexpr int kPauseMs = 5; // lets the audio thread pick each sound up before the next cuts it off

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QDir(QCoreApplication::applicationDirPath() + u"/.."_s).absolutePath();
    constexpr std::array kEffects{SoundEffect::Shot, SoundEffect::Explosion, SoundEffect::Laser};
    const SoundFinder builtEffects = [&folder](SoundEffect effect) { return soundPath(folder, effect); };

    bench::Timings opening;
    std::unique_ptr<MixerPlayer> player;
    opening.time([&] {
        player = std::make_unique<MixerPlayer>(builtEffects);
        player->start();
        player->waitUntilOpen();
    });
    std::printf("audio device opened: %s\n", player->audible() ? "yes" : "no");

    bench::Timings plays;
    for (int run = 0; run < kRuns; ++run) {
        const SoundEffect effect = kEffects[std::size_t(run) % kEffects.size()];
        plays.time([&] { player->play(effect); });
        QThread::msleep(kPauseMs);
    }
    bench::Timings closing;
    closing.time([&] { player.reset(); });

    // Every file missing: each play looks for its file again.
    MixerPlayer withoutFiles([&folder](SoundEffect /*effect*/) { return folder + u"/suoni/missing.wav"_s; });
    withoutFiles.start();
    withoutFiles.waitUntilOpen();
    bench::Timings missing;
    for (int run = 0; run < kRuns; ++run)
        missing.time([&] { withoutFiles.play(SoundEffect::Shot); });

    opening.report("open device and decode");
    plays.report("play");
    missing.report("play, missing file");
    closing.report("close device");
    return 0;
}
