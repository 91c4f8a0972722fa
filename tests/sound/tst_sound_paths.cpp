#include <array>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "sound/sound_paths.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;

namespace {

constexpr std::array<std::pair<SoundEffect, QStringView>, 3> kEffects{{
    {SoundEffect::Shot, u"sparo.wav"},
    {SoundEffect::Explosion, u"esplosi.wav"},
    {SoundEffect::Laser, u"laser.wav"},
}};

// Which copies of the effects a tree holds.
enum class Copies { None, BesideProgram, Installed, Both, EmptyFolderBesideProgram };

// An installed tree under a scratch prefix, laid out as CMake installs it: the program's folder and
// the sound folder are named by the build, independently of the program's own lookup.
class InstalledTree {
public:
    explicit InstalledTree(Copies copies) {
        QDir().mkpath(programFolder());
        if (copies == Copies::EmptyFolderBesideProgram)
            QDir().mkpath(besideProgram({}));
        for (const auto& [effect, file] : kEffects) {
            if (copies == Copies::BesideProgram || copies == Copies::Both)
                touch(besideProgram(file));
            if (copies == Copies::Installed || copies == Copies::Both ||
                copies == Copies::EmptyFolderBesideProgram)
                touch(installed(file));
        }
    }

    [[nodiscard]] bool isValid() const { return prefix_.isValid(); }
    [[nodiscard]] QString programFolder() const {
        return prefix_.filePath(qEnvironmentVariable("BRIVADORO_INSTALL_BINDIR"));
    }
    [[nodiscard]] QString besideProgram(QStringView file) const {
        return programFolder() + u"/suoni/"_s + file.toString();
    }
    [[nodiscard]] QString installed(QStringView file) const {
        return prefix_.filePath(qEnvironmentVariable("BRIVADORO_SOUND_INSTALL_DIR") + u'/' + file.toString());
    }

private:
    static void touch(const QString& path) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir prefix_;
};

} // namespace

class SoundPathsTest : public QObject {
    Q_OBJECT
private slots:
    void theCopyBesideTheProgramComesFirstThenTheInstalledOne_data();
    void theCopyBesideTheProgramComesFirstThenTheInstalledOne();
    void theRunningProgramLooksBesideItself();
};

void SoundPathsTest::theCopyBesideTheProgramComesFirstThenTheInstalledOne_data() {
    QTest::addColumn<Copies>("copies");
    QTest::addColumn<bool>("expectInstalled");
    QTest::newRow("both: the build tree's own") << Copies::Both << false;
    QTest::newRow("beside the program only") << Copies::BesideProgram << false;
    QTest::newRow("installed only") << Copies::Installed << true;
    QTest::newRow("an empty suoni beside the program") << Copies::EmptyFolderBesideProgram << true;
    // With no copy at all, the path beside the program, as the game has always named it: silence.
    QTest::newRow("none") << Copies::None << false;
}

void SoundPathsTest::theCopyBesideTheProgramComesFirstThenTheInstalledOne() {
    QFETCH(Copies, copies);
    QFETCH(bool, expectInstalled);
    const InstalledTree tree(copies);
    QVERIFY(tree.isValid());
    for (const auto& [effect, file] : kEffects) {
        const QString expected = expectInstalled ? tree.installed(file) : tree.besideProgram(file);
        QCOMPARE(QDir::cleanPath(soundPath(tree.programFolder(), effect)), expected);
    }
}

void SoundPathsTest::theRunningProgramLooksBesideItself() {
    const SoundFinder find = programSoundFinder();
    for (const auto& [effect, file] : kEffects)
        QCOMPARE(find(effect), QCoreApplication::applicationDirPath() + u"/suoni/"_s + file.toString());
}

QTEST_GUILESS_MAIN(SoundPathsTest)
#include "tst_sound_paths.moc"
