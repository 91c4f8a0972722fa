// Times SdlPlayer::play on the built effects, as the game calls it, and the delay from a play to
// the first buffer of the device that holds its sound: usage bench_sound [program folder], the
// folder holding "suoni" (by default the build folder). The sound server is whatever the
// environment names (PULSE_SERVER, SDL_AUDIODRIVER; SDL_AUDIODRIVER=dummy without a sound card).

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include "sound/sdl_player.h"
#include "sound/sound_paths.h"
#include "timings.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 1000;
constexpr int kPauseMs = 5; // lets the audio thread pick each sound up before the next cuts it off
constexpr int kFirstSampleRuns = 100;
constexpr int kLongestBufferUs = 25000; // plays fall at every point of the device's buffer
constexpr auto kGiveUp = std::chrono::seconds(2);

// The buffers the device takes from the player, as they leave it: the player's own fill wrapped.
// One device at a time, reached from SDL's audio thread, which takes no context of the bench's.
struct BufferWatch {
    decltype(SdlAudioLibrary::openAudioDevice) open = nullptr;
    sdl::AudioCallback fill = nullptr;
    void* player = nullptr;
    std::uint8_t silence = 0;
    std::atomic<bool> waitingForSound = false;
    std::atomic<bool> lastWasSilent = true;
    std::atomic<Clock::rep> soundAt = 0;
};
BufferWatch watch;

void watchedFill(void* /*context*/, std::uint8_t* buffer, int length) {
    watch.fill(watch.player, buffer, length);
    const bool silent =
        std::all_of(buffer, buffer + length, [](std::uint8_t byte) { return byte == watch.silence; });
    if (!silent && watch.waitingForSound.load()) {
        watch.soundAt.store(Clock::now().time_since_epoch().count());
        watch.waitingForSound.store(false);
    }
    watch.lastWasSilent.store(silent);
}

sdl::AudioDeviceId watchedOpen(const char* device, int isCapture, const sdl::AudioSpec* desired,
                               sdl::AudioSpec* obtained, int allowedChanges) {
    sdl::AudioSpec watched = *desired;
    watch.fill = desired->callback;
    watch.player = desired->userdata;
    watched.callback = &watchedFill;
    const sdl::AudioDeviceId opened = watch.open(device, isCapture, &watched, obtained, allowedChanges);
    watch.silence = obtained->silence; // the device stays paused until the player has its sounds
    return opened;
}

bool loadWatched(SdlAudioLibrary& library) {
    if (!library.load())
        return false;
    watch.open = library.openAudioDevice;
    library.openAudioDevice = &watchedOpen;
    return true;
}

template <typename Condition> bool waitFor(Condition&& condition) {
    const auto end = Clock::now() + kGiveUp;
    while (!condition()) {
        if (Clock::now() > end)
            return false;
        QThread::usleep(50);
    }
    return true;
}

// Click to first sample: from a shot's play to the first buffer the device takes that holds it,
// each shot begun in silence and cut off by the laser, whose file is missing, once heard.
bench::Timings timeFirstSamples(const QString& folder) {
    bench::Timings firstSample;
    SdlPlayer player(
        [&folder](SoundEffect effect) {
            return effect == SoundEffect::Shot ? soundPath(folder, effect) : folder + u"/suoni/missing.wav"_s;
        },
        &loadWatched);
    player.start();
    player.waitUntilOpen();
    if (!player.audible())
        return firstSample;
    // A sink that plays to no card, as the bench's private server has, starts at its longest latency,
    // 2 s, and comes down to the stream's own only once the stream runs; a desktop's sink does not.
    // The game's first sound comes seconds after the device opens, after the name box and greeting.
    constexpr auto kSinkSettles = std::chrono::seconds(3);
    std::this_thread::sleep_for(kSinkSettles);
    std::mt19937 random(1);
    std::uniform_int_distribution<int> phase(0, kLongestBufferUs);
    for (int run = 0; run < kFirstSampleRuns; ++run) {
        if (!waitFor([] { return watch.lastWasSilent.load(); }))
            break;
        QThread::usleep(unsigned(phase(random)));
        watch.waitingForSound.store(true);
        const auto start = Clock::now();
        player.play(SoundEffect::Shot);
        if (!waitFor([] { return !watch.waitingForSound.load(); }))
            break;
        const auto heard = Clock::time_point(Clock::duration(watch.soundAt.load()));
        firstSample.add(std::chrono::duration<double, std::milli>(heard - start).count());
        player.play(SoundEffect::Laser);
    }
    return firstSample;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QDir(QCoreApplication::applicationDirPath() + u"/.."_s).absolutePath();
    constexpr std::array kEffects{SoundEffect::Shot, SoundEffect::Explosion, SoundEffect::Laser};
    const SoundFinder builtEffects = [&folder](SoundEffect effect) { return soundPath(folder, effect); };

    bench::Timings opening;
    std::unique_ptr<SdlPlayer> player;
    opening.time([&] {
        player = std::make_unique<SdlPlayer>(builtEffects);
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

    bench::Timings firstSample = timeFirstSamples(folder);

    // Every file missing: each play looks for its file again.
    SdlPlayer withoutFiles([&folder](SoundEffect /*effect*/) { return folder + u"/suoni/missing.wav"_s; });
    withoutFiles.start();
    withoutFiles.waitUntilOpen();
    bench::Timings missing;
    for (int run = 0; run < kRuns; ++run)
        missing.time([&] { withoutFiles.play(SoundEffect::Shot); });

    opening.report("open device and decode");
    plays.report("play");
    firstSample.report("click to first sample");
    missing.report("play, missing file");
    closing.report("close device");
    return 0;
}
