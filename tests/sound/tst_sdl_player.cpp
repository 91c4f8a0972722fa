#include <array>
#include <cstdio>
#include <memory>
#include <string_view>

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include "sound/sdl_player.h"
#include "sound/sound_paths.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace std::literals;

namespace {

// The folder of the built program, whose "suoni" holds the built effects; CTest names it.
QString builtProgramFolder() {
    return qEnvironmentVariable("BRIVADORO_PROGRAM_DIR");
}

// "yes" or "no" where the run's audio set-up decides whether a device opens; empty where it cannot
// be known (a machine's own sound server may answer).
QString expectedDevice() {
    return qEnvironmentVariable("BRIVADORO_EXPECT_DEVICE");
}

// The built effects, then files no decoder can play, made in scratch, a missing file and a missing
// folder; empty when the built effects are missing.
QStringList filesToPlay(const QTemporaryDir& scratch) {
    const QString folder = builtProgramFolder();
    QFile built(soundPath(folder, SoundEffect::Shot));
    if (!built.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wholeWav = built.readAll();
    const auto scratchFile = [&scratch](const QString& name, QByteArrayView bytes) {
        QDir().mkpath(QFileInfo(scratch.filePath(name)).path());
        QFile file(scratch.filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes.data(), bytes.size());
        return file.fileName();
    };
    // A format chunk of no channels and no bits, and a data chunk said to run far past the end.
    constexpr std::string_view kImpossibleFormat =
        "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
        "data\xff\xff\xff\x7f\0\0"sv;
    return {soundPath(folder, SoundEffect::Shot),
            soundPath(folder, SoundEffect::Explosion),
            soundPath(folder, SoundEffect::Laser),
            scratchFile(u"header-without-format.wav"_s, QByteArrayView("RIFF\x10\0\0\0WAVEjunk", 16)),
            scratchFile(u"impossible-format.wav"_s,
                        QByteArrayView(kImpossibleFormat.data(), qsizetype(kImpossibleFormat.size()))),
            scratchFile(u"cut-short.wav"_s, QByteArrayView(wholeWav).first(100)),
            scratchFile(u"empty.wav"_s, {}),
            scratchFile(u"text/suoni/laser.wav"_s, "Questo non e' un suono.\n"),
            scratch.filePath(u"missing.wav"_s),
            scratch.filePath(u"none/suoni/laser.wav"_s)};
}

// What the libraries write straight to the process's error stream while it lives.
class ErrorStreamCapture {
public:
    ErrorStreamCapture() {
        if (file_.open())
            ::dup2(file_.handle(), STDERR_FILENO);
    }
    ~ErrorStreamCapture() { restore(); }

    ErrorStreamCapture(const ErrorStreamCapture&) = delete;
    ErrorStreamCapture& operator=(const ErrorStreamCapture&) = delete;

    // Ends the capture.
    QByteArray written() {
        restore();
        file_.seek(0);
        return file_.readAll();
    }

private:
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }

    QTemporaryFile file_;
    int saved_ = ::dup(STDERR_FILENO);
};

} // namespace

class SdlPlayerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testing::configureTestApplication(); }

    void everyPlayReturnsAtOnceAndQuietlyWhateverTheFile();
};

// Real files, broken files, a missing file and a missing folder, three at a time as one player's
// effects: each play returns at once, the unplayable ones are silent, neither playing nor closing
// the device hangs, and nothing, the audio libraries' own reports included, reaches the error
// stream.
void SdlPlayerTest::everyPlayReturnsAtOnceAndQuietlyWhateverTheFile() {
    const QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QStringList paths = filesToPlay(scratch);
    QVERIFY2(!paths.isEmpty(), "the built sounds are missing");

    constexpr qint64 kAtOnceMs = 50;
    constexpr qint64 kSetUpMs = 3000;
    constexpr std::array kEffects{SoundEffect::Shot, SoundEffect::Explosion, SoundEffect::Laser};
    ErrorStreamCapture errors;
    QElapsedTimer clock;
    for (qsizetype first = 0; first < paths.size(); first += qsizetype(kEffects.size())) {
        const QStringList files = paths.mid(first, qsizetype(kEffects.size()));
        const SoundFinder find = [files](SoundEffect effect) {
            return files.value(effect == SoundEffect::Shot ? 0 : effect == SoundEffect::Explosion ? 1 : 2);
        };
        clock.start();
        auto player = std::make_unique<SdlPlayer>(find);
        player->start();
        QVERIFY(clock.elapsed() < kAtOnceMs);
        player->play(SoundEffect::Shot); // while the device may still be opening
        player->waitUntilOpen();
        QVERIFY(clock.elapsed() < kSetUpMs);
        if (!expectedDevice().isEmpty())
            QCOMPARE(player->audible(), expectedDevice() == u"yes");
        for (int round = 0; round < 3; ++round) {
            for (const SoundEffect effect : kEffects) {
                clock.start();
                player->play(effect);
                QVERIFY2(clock.elapsed() < kAtOnceMs, qPrintable(find(effect)));
                QTest::qWait(20);
            }
        }
        player->play(SoundEffect::Explosion);
        clock.start();
        player.reset();
        QVERIFY(clock.elapsed() < kSetUpMs);
    }
    QCOMPARE(errors.written(), QByteArray());
}

QTEST_MAIN(SdlPlayerTest)
#include "tst_sdl_player.moc"
