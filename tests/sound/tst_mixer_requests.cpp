#include <latch>
#include <map>
#include <memory>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "sound/mixer_player.h"

using namespace brivadoro;

namespace {

// A sound started on a channel, as SDL_mixer was asked to play it.
struct Started {
    const Mix_Chunk* chunk = nullptr;
    int loops = 0;
    int ticks = 0;
};

// SDL and SDL_mixer as far as the player uses them, keeping what a real mixer keeps: whether its
// audio has started and its device is open, which sound plays on which channel, and which files and
// decoded sounds are held. The player's library holds plain functions, so they reach this through
// a variable of the test's, made afresh for every test.
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
    [[nodiscard]] QString describe(const Started& sound) const {
        const auto chunk = chunks.find(sound.chunk);
        QString text = chunk == chunks.end() ? u"a freed sound"_qs : chunk->second.second;
        if (sound.loops == 0)
            text += u" once"_qs;
        else if (sound.loops < 0)
            text += u" for ever"_qs;
        else
            text += u" %1 times"_qs.arg(sound.loops + 1);
        if (sound.ticks >= 0)
            text += u", cut after %1 ms"_qs.arg(sound.ticks);
        return text;
    }

    [[nodiscard]] QStringList nowPlaying() const {
        QStringList sounds;
        for (const auto& [channel, sound] : playing)
            sounds << describe(sound);
        return sounds;
    }
};

MixerState mixer;

namespace fake {

SDL_bool setHint(const char* /*name*/, const char* /*value*/) {
    ++mixer.calls;
    return SDL_TRUE;
}

int initSubSystem(Uint32 /*flags*/) {
    ++mixer.calls;
    mixer.audioStarted = !mixer.noSoundSystem;
    return mixer.audioStarted ? 0 : -1;
}

void quitSubSystem(Uint32 /*flags*/) {
    ++mixer.calls;
    mixer.audioStarted = false;
}

void cleanUpThread() {
    ++mixer.calls;
}

SDL_RWops* openFile(const char* file, const char* /*mode*/) {
    ++mixer.calls;
    auto handle = std::make_unique<SDL_RWops>();
    SDL_RWops* opened = handle.get();
    mixer.files.emplace(opened, std::pair(std::move(handle), QFileInfo(QFile::decodeName(file)).fileName()));
    return opened;
}

int openAudio(int /*frequency*/, Uint16 /*format*/, int /*channels*/, int /*chunkSize*/) {
    ++mixer.calls;
    if (!mixer.audioStarted)
        mixer.misuses << u"device opened before SDL's audio started"_qs;
    mixer.deviceOpen = mixer.audioStarted && !mixer.deviceRefused;
    mixer.channels = mixer.deviceOpen ? MIX_CHANNELS : 0;
    return mixer.deviceOpen ? 0 : -1;
}

void closeAudio() {
    ++mixer.calls;
    mixer.deviceOpen = false;
    mixer.playing.clear();
}

int allocateChannels(int count) {
    ++mixer.calls;
    if (count >= 0) {
        mixer.channels = count;
        mixer.playing.erase(mixer.playing.lower_bound(count), mixer.playing.end());
    }
    return mixer.channels;
}

// A file whose name starts with "broken" does not decode.
Mix_Chunk* loadWav(SDL_RWops* source, int freeSource) {
    ++mixer.calls;
    ++mixer.decodes;
    if (!mixer.deviceOpen)
        mixer.misuses << u"decoded with no device open"_qs;
    const auto file = mixer.files.find(source);
    if (file == mixer.files.end()) {
        mixer.misuses << u"decoded a file never opened"_qs;
        return nullptr;
    }
    const QString name = file->second.second;
    if (freeSource != 0)
        mixer.files.erase(file);
    if (name.startsWith(u"broken"))
        return nullptr;
    auto chunk = std::make_unique<Mix_Chunk>();
    Mix_Chunk* decoded = chunk.get();
    mixer.chunks.emplace(decoded, std::pair(std::move(chunk), name));
    return decoded;
}

// SDL_mixer halts every channel that plays the sound it frees.
void freeChunk(Mix_Chunk* chunk) {
    ++mixer.calls;
    std::erase_if(mixer.playing, [chunk](const auto& channel) { return channel.second.chunk == chunk; });
    if (mixer.chunks.erase(chunk) == 0)
        mixer.misuses << u"freed a sound never decoded, or twice"_qs;
}

// As SDL_mixer: channel -1 takes the first free channel, a busy channel drops its sound for the new
// one, and a channel beyond those allocated plays nothing.
int playChannel(int channel, Mix_Chunk* chunk, int loops, int ticks) {
    ++mixer.calls;
    if (!mixer.deviceOpen || !mixer.chunks.contains(chunk)) {
        mixer.misuses << u"played with no device open, or a sound never decoded"_qs;
        return -1;
    }
    if (channel == -1) {
        for (int free = 0; free < mixer.channels && channel == -1; ++free)
            channel = mixer.playing.contains(free) ? -1 : free;
        if (channel == -1)
            return -1;
    }
    if (channel >= 0 && channel < mixer.channels) {
        mixer.playing[channel] = {chunk, loops, ticks};
        mixer.started << mixer.describe(mixer.playing[channel]);
    }
    return channel;
}

int haltChannel(int channel) {
    ++mixer.calls;
    if (!mixer.deviceOpen)
        mixer.misuses << u"halted with no device open"_qs;
    if (channel == -1)
        mixer.playing.clear();
    else
        mixer.playing.erase(channel);
    return 0;
}

// Fills the table with the fakes; ALSA, which the fakes do not stand for, stays out.
void fill(MixerLibrary& library) {
    library = {.setHint = &setHint,
               .initSubSystem = &initSubSystem,
               .quitSubSystem = &quitSubSystem,
               .cleanUpThread = &cleanUpThread,
               .openFile = &openFile,
               .openAudio = &openAudio,
               .closeAudio = &closeAudio,
               .allocateChannels = &allocateChannels,
               .loadWav = &loadWav,
               .freeChunk = &freeChunk,
               .playChannel = &playChannel,
               .haltChannel = &haltChannel,
               .setAlsaErrorHandler = nullptr};
}

} // namespace fake

// How the sound system fails, or is never asked to start.
enum class Failure { NeverStarted, LibrariesMissing, NoSoundSystem, DeviceRefused };

} // namespace

class MixerRequestsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { mixer = {}; }
    void cleanup();

    void eachPlayHaltsTheSoundBeforeIt_data();
    void eachPlayHaltsTheSoundBeforeIt();
    void noPlayReachesAFailedSoundSystem_data();
    void noPlayReachesAFailedSoundSystem();
};

// Whatever happened, the closed player leaves no device open, nothing playing and nothing held.
void MixerRequestsTest::cleanup() {
    QCOMPARE(mixer.misuses, QStringList());
    QVERIFY(!mixer.deviceOpen);
    QVERIFY(!mixer.audioStarted);
    QVERIFY(mixer.playing.empty());
    QVERIFY(mixer.chunks.empty());
    QVERIFY(mixer.files.empty());
}

// The shot is sparo.wav and the explosion esplosi.wav; the laser is the row's file: laser.wav,
// broken.wav, which is on disk but does not decode, or missing.wav, which is not on disk.
void MixerRequestsTest::eachPlayHaltsTheSoundBeforeIt_data() {
    QTest::addColumn<QString>("laserFile");
    QTest::addColumn<QList<SoundEffect>>("plays");
    QTest::addColumn<QStringList>("started");
    QTest::addColumn<QStringList>("playingAtTheEnd");
    QTest::addColumn<int>("decodes");
    using enum SoundEffect;
    const QString shot = u"sparo.wav once"_qs;
    const QString explosion = u"esplosi.wav once"_qs;
    const QString laser = u"laser.wav once"_qs;
    QTest::newRow("one sound, once") << u"laser.wav"_qs << QList{Shot} << QStringList{shot}
                                     << QStringList{shot} << 3;
    QTest::newRow("a new sound cuts off the old")
        << u"laser.wav"_qs << QList{Shot, Explosion, Laser} << QStringList{shot, explosion, laser}
        << QStringList{laser} << 3;
    QTest::newRow("the same sound starts over, decoded once")
        << u"laser.wav"_qs << QList{Shot, Shot, Shot} << QStringList{shot, shot, shot} << QStringList{shot}
        << 3;
    QTest::newRow("a missing file cuts off the old sound")
        << u"missing.wav"_qs << QList{Shot, Laser} << QStringList{shot} << QStringList() << 2;
    QTest::newRow("a broken file cuts off the old sound")
        << u"broken.wav"_qs << QList{Shot, Laser} << QStringList{shot} << QStringList() << 3;
    QTest::newRow("after a broken file, the next sound plays")
        << u"broken.wav"_qs << QList{Laser, Laser, Explosion} << QStringList{explosion}
        << QStringList{explosion} << 3;
}

// Every file is decoded as the device opens, none at a play.
void MixerRequestsTest::eachPlayHaltsTheSoundBeforeIt() {
    QFETCH(QString, laserFile);
    QFETCH(QList<SoundEffect>, plays);
    QFETCH(QStringList, started);
    QFETCH(QStringList, playingAtTheEnd);
    QFETCH(int, decodes);
    const QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const QString& name : {u"sparo.wav"_qs, u"esplosi.wav"_qs, u"laser.wav"_qs, u"broken.wav"_qs}) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const auto find = [&folder, laserFile](SoundEffect effect) {
        return folder.filePath(effect == SoundEffect::Shot        ? u"sparo.wav"_qs
                               : effect == SoundEffect::Explosion ? u"esplosi.wav"_qs
                                                                  : laserFile);
    };

    std::latch loading(1);
    MixerPlayer player(find, [&loading](MixerLibrary& library) {
        loading.wait();
        fake::fill(library);
        return true;
    });
    player.start();
    // While the device is still opening, a play asks nothing of the mixer and is not kept for later.
    player.play(SoundEffect::Shot);
    const int callsWhileOpening = mixer.calls;
    loading.count_down();
    player.waitUntilOpen();
    QCOMPARE(callsWhileOpening, 0);
    QCOMPARE(mixer.decodes, decodes);

    for (const SoundEffect effect : plays)
        player.play(effect);
    QCOMPARE(mixer.started, started);
    QCOMPARE(mixer.nowPlaying(), playingAtTheEnd);
    QCOMPARE(mixer.decodes, decodes);
}

void MixerRequestsTest::noPlayReachesAFailedSoundSystem_data() {
    QTest::addColumn<Failure>("failure");
    QTest::newRow("the player is never started") << Failure::NeverStarted;
    QTest::newRow("the libraries are missing") << Failure::LibrariesMissing;
    QTest::newRow("no sound system answers") << Failure::NoSoundSystem;
    QTest::newRow("the device is refused") << Failure::DeviceRefused;
}

// Every play is silent; unstarted or without the libraries, nothing of theirs is called at all, not
// even to close.
void MixerRequestsTest::noPlayReachesAFailedSoundSystem() {
    QFETCH(Failure, failure);
    mixer.noSoundSystem = failure == Failure::NoSoundSystem;
    mixer.deviceRefused = failure == Failure::DeviceRefused;
    const QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString sound = folder.filePath(u"sparo.wav"_qs);
    QFile file(sound);
    QVERIFY(file.open(QIODevice::WriteOnly));
    {
        MixerPlayer player(
            [&folder, &sound](SoundEffect effect) {
                return effect == SoundEffect::Shot ? sound : folder.filePath(u"missing.wav"_qs);
            },
            [failure](MixerLibrary& library) {
                fake::fill(library);
                return failure != Failure::LibrariesMissing;
            });
        if (failure != Failure::NeverStarted)
            player.start();
        player.waitUntilOpen();
        player.play(SoundEffect::Shot);
        player.play(SoundEffect::Laser);
        QCOMPARE(mixer.started, QStringList());
    }
    if (failure == Failure::NeverStarted || failure == Failure::LibrariesMissing)
        QCOMPARE(mixer.calls, 0);
}

QTEST_GUILESS_MAIN(MixerRequestsTest)
#include "tst_mixer_requests.moc"
