#include <latch>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "fake_sdl_audio.h"
#include "sound/sdl_player.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

// How the sound system fails, or is never asked to start.
enum class Failure { NeverStarted, LibrariesMissing, NoSoundSystem, DeviceRefused };

} // namespace

class SdlRequestsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { sdlAudio = {}; }
    void cleanup();

    void eachPlayStopsTheSoundBeforeIt_data();
    void eachPlayStopsTheSoundBeforeIt();
    void noPlayReachesAFailedSoundSystem_data();
    void noPlayReachesAFailedSoundSystem();
};

// Whatever happened, the closed player leaves no device open and nothing held.
void SdlRequestsTest::cleanup() {
    QCOMPARE(sdlAudio.misuses, QStringList());
    QVERIFY(!sdlAudio.deviceOpen);
    QVERIFY(!sdlAudio.audioStarted);
    QCOMPARE(sdlAudio.locks, 0);
    QVERIFY(sdlAudio.files.empty());
    QVERIFY(sdlAudio.wavs.empty());
    QVERIFY(sdlAudio.streams.empty());
}

// Each file's bytes are its samples, which the device hears doubled (see SdlAudioState), in
// buffers of four bytes, written here between bars, silence as dots. The shot is sparo.wav and
// the explosion esplosi.wav; the laser is the row's file: laser.wav, broken.wav, which is on disk
// but does not decode, or missing.wav, which is not on disk.
void SdlRequestsTest::eachPlayStopsTheSoundBeforeIt_data() {
    QTest::addColumn<QString>("laserFile");
    QTest::addColumn<QList<SoundEffect>>("plays");
    QTest::addColumn<QString>("heard");
    QTest::addColumn<int>("decodes");
    using enum SoundEffect;
    QTest::newRow("one sound, once, then silence")
        << u"laser.wav"_s << QList{Shot} << u"sspp|aarr|oo..|...."_s << 3;
    QTest::newRow("a new sound cuts off the old at once")
        << u"laser.wav"_s << QList{Shot, Explosion, Laser} << u"sspp|eess|llaa|ssee|rr..|...."_s << 3;
    QTest::newRow("the same sound starts over, decoded once")
        << u"laser.wav"_s << QList{Shot, Shot, Shot} << u"sspp|sspp|sspp|aarr|oo..|...."_s << 3;
    QTest::newRow("a missing file cuts off the old sound")
        << u"missing.wav"_s << QList{Shot, Laser} << u"sspp|...."_s << 2;
    QTest::newRow("a broken file cuts off the old sound")
        << u"broken.wav"_s << QList{Shot, Laser} << u"sspp|...."_s << 3;
    QTest::newRow("an empty file cuts off the old sound")
        << u"empty.wav"_s << QList{Shot, Laser} << u"sspp|...."_s << 3;
    QTest::newRow("after a broken file, the next sound plays")
        << u"broken.wav"_s << QList{Laser, Laser, Explosion} << u"....|....|eess|ppll|ooss|ii..|...."_s << 3;
}

// The device asks for a buffer after each play, then until it hears silence. Every file is decoded
// as the device opens, none at a play.
void SdlRequestsTest::eachPlayStopsTheSoundBeforeIt() {
    QFETCH(QString, laserFile);
    QFETCH(QList<SoundEffect>, plays);
    QFETCH(QString, heard);
    QFETCH(int, decodes);
    const QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const QString& name : {u"sparo"_s, u"esplosi"_s, u"laser"_s, u"broken"_s, u"empty"_s}) {
        QFile file(folder.filePath(name + u".wav"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (name != u"empty")
            file.write(name.toLatin1());
    }
    const auto find = [&folder, laserFile](SoundEffect effect) {
        return folder.filePath(effect == SoundEffect::Shot        ? u"sparo.wav"_s
                               : effect == SoundEffect::Explosion ? u"esplosi.wav"_s
                                                                  : laserFile);
    };

    std::latch loading(1);
    SdlPlayer player(find, [&loading](SdlAudioLibrary& library) {
        loading.wait();
        fillWithFakes(library);
        return true;
    });
    player.start();
    // While the device is still opening, a play asks nothing of SDL and is not kept for later.
    player.play(SoundEffect::Shot);
    const int callsWhileOpening = sdlAudio.calls;
    loading.count_down();
    player.waitUntilOpen();
    QCOMPARE(callsWhileOpening, 0);
    QCOMPARE(sdlAudio.decodes, decodes);

    constexpr int kBufferBytes = 4;
    const QString silence(kBufferBytes, u'.');
    QStringList buffers;
    for (const SoundEffect effect : plays) {
        player.play(effect);
        buffers << sdlAudio.pull(kBufferBytes);
    }
    constexpr int kLongestTail = 10;
    while (buffers.size() < plays.size() + kLongestTail && buffers.constLast() != silence)
        buffers << sdlAudio.pull(kBufferBytes);
    QCOMPARE(buffers.join(u'|'), heard);
    QCOMPARE(sdlAudio.decodes, decodes);
}

void SdlRequestsTest::noPlayReachesAFailedSoundSystem_data() {
    QTest::addColumn<Failure>("failure");
    QTest::newRow("the player is never started") << Failure::NeverStarted;
    QTest::newRow("the libraries are missing") << Failure::LibrariesMissing;
    QTest::newRow("no sound system answers") << Failure::NoSoundSystem;
    QTest::newRow("the device is refused") << Failure::DeviceRefused;
}

// Every play is silent; unstarted or without the libraries, nothing of theirs is called at all, not
// even to close.
void SdlRequestsTest::noPlayReachesAFailedSoundSystem() {
    QFETCH(Failure, failure);
    sdlAudio.noSoundSystem = failure == Failure::NoSoundSystem;
    sdlAudio.deviceRefused = failure == Failure::DeviceRefused;
    const QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString sound = folder.filePath(u"sparo.wav"_s);
    QFile file(sound);
    QVERIFY(file.open(QIODevice::WriteOnly));
    {
        SdlPlayer player(
            [&folder, &sound](SoundEffect effect) {
                return effect == SoundEffect::Shot ? sound : folder.filePath(u"missing.wav"_s);
            },
            [failure](SdlAudioLibrary& library) {
                fillWithFakes(library);
                return failure != Failure::LibrariesMissing;
            });
        if (failure != Failure::NeverStarted)
            player.start();
        player.waitUntilOpen();
        player.play(SoundEffect::Shot);
        player.play(SoundEffect::Laser);
    }
    QCOMPARE(sdlAudio.decodes, 0);
    if (failure == Failure::NeverStarted || failure == Failure::LibrariesMissing)
        QCOMPARE(sdlAudio.calls, 0);
}

QTEST_GUILESS_MAIN(SdlRequestsTest)
#include "tst_sdl_requests.moc"
