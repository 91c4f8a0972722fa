#include <latch>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "fake_mixer.h"
#include "sound/mixer_player.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

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
    const QString shot = u"sparo.wav once"_s;
    const QString explosion = u"esplosi.wav once"_s;
    const QString laser = u"laser.wav once"_s;
    QTest::newRow("one sound, once") << u"laser.wav"_s << QList{Shot} << QStringList{shot}
                                     << QStringList{shot} << 3;
    QTest::newRow("a new sound cuts off the old")
        << u"laser.wav"_s << QList{Shot, Explosion, Laser} << QStringList{shot, explosion, laser}
        << QStringList{laser} << 3;
    QTest::newRow("the same sound starts over, decoded once")
        << u"laser.wav"_s << QList{Shot, Shot, Shot} << QStringList{shot, shot, shot} << QStringList{shot}
        << 3;
    QTest::newRow("a missing file cuts off the old sound")
        << u"missing.wav"_s << QList{Shot, Laser} << QStringList{shot} << QStringList() << 2;
    QTest::newRow("a broken file cuts off the old sound")
        << u"broken.wav"_s << QList{Shot, Laser} << QStringList{shot} << QStringList() << 3;
    QTest::newRow("after a broken file, the next sound plays")
        << u"broken.wav"_s << QList{Laser, Laser, Explosion} << QStringList{explosion}
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
    for (const QString& name : {u"sparo.wav"_s, u"esplosi.wav"_s, u"laser.wav"_s, u"broken.wav"_s}) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const auto find = [&folder, laserFile](SoundEffect effect) {
        return folder.filePath(effect == SoundEffect::Shot        ? u"sparo.wav"_s
                               : effect == SoundEffect::Explosion ? u"esplosi.wav"_s
                                                                  : laserFile);
    };

    std::latch loading(1);
    MixerPlayer player(find, [&loading](MixerLibrary& library) {
        loading.wait();
        fillWithFakes(library);
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
    const QString sound = folder.filePath(u"sparo.wav"_s);
    QFile file(sound);
    QVERIFY(file.open(QIODevice::WriteOnly));
    {
        MixerPlayer player(
            [&folder, &sound](SoundEffect effect) {
                return effect == SoundEffect::Shot ? sound : folder.filePath(u"missing.wav"_s);
            },
            [failure](MixerLibrary& library) {
                fillWithFakes(library);
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
