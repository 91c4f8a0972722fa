#include <algorithm>

#include <sys/stat.h>

#include <QRandomGenerator>
#include <QTest>

#include "board/board_state.h"
#include "records/record_commands.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "support/environment_value.h"
#include "support/file_permissions.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::testing::EnvironmentValue;
using brivadoro::testing::ObeyFilePermissions;
using brivadoro::testing::RecordFolder;

namespace {

// Something standing where the records should be.
enum class Obstacle {
    FileAboveDataHome,
    FileForFolder,
    FolderForScore,
    FolderForName,
    LinkForScore,
    PipeForScore,
    ReadOnlyDataHome,
    ReadOnlyFolder
};

constexpr QByteArrayView kOldScore = " 12\r\n";
constexpr QByteArrayView kOldName = "Anna\r\n";

// Puts the obstacle in place beside an old record, and returns the path the player must be told.
QString placeObstacle(RecordFolder& records, Obstacle obstacle) {
    const auto makeFolder = [&](QStringView name) { QDir().mkpath(records.path(name)); };
    switch (obstacle) {
    case Obstacle::FileAboveDataHome: {
        QString blocker = records.home() + u"/blocker"_s;
        QFile(blocker).open(QIODevice::WriteOnly);
        qputenv("XDG_DATA_HOME", (blocker + u"/data"_s).toUtf8());
        return blocker;
    }
    case Obstacle::FileForFolder:
        QFile(records.home() + u"/brivadoro"_s).open(QIODevice::WriteOnly);
        return records.home() + u"/brivadoro"_s;
    case Obstacle::FolderForScore:
        records.write(kNameFileName, kOldName.toByteArray());
        makeFolder(kScoreFileName);
        return records.path(kScoreFileName);
    case Obstacle::FolderForName:
        records.write(kScoreFileName, kOldScore.toByteArray());
        makeFolder(kNameFileName);
        return records.path(kNameFileName);
    case Obstacle::LinkForScore: // to a file the player may read: still no record is read through it
        records.write(kNameFileName, kOldName.toByteArray());
        records.write(u"altrove.txt", kOldScore.toByteArray());
        QFile::link(records.path(u"altrove.txt"), records.path(kScoreFileName));
        return records.path(kScoreFileName);
    case Obstacle::PipeForScore:
        records.write(kNameFileName, kOldName.toByteArray());
        ::mkfifo(QFile::encodeName(records.path(kScoreFileName)).constData(), 0600);
        return records.path(kScoreFileName);
    case Obstacle::ReadOnlyDataHome:
        records.makeReadOnly(records.home());
        return records.folder();
    case Obstacle::ReadOnlyFolder:
        records.write(kScoreFileName, kOldScore.toByteArray());
        records.write(kNameFileName, kOldName.toByteArray());
        records.makeReadOnly(records.folder());
        return records.folder();
    }
    return {};
}

void addObstacleRows() {
    QTest::addColumn<Obstacle>("obstacle");
    QTest::newRow("XDG_DATA_HOME under a regular file") << Obstacle::FileAboveDataHome;
    QTest::newRow("a file where the folder should be") << Obstacle::FileForFolder;
    QTest::newRow("a folder where aquadrix.txt should be") << Obstacle::FolderForScore;
    QTest::newRow("a folder where quadrix.txt should be") << Obstacle::FolderForName;
    QTest::newRow("a symbolic link where aquadrix.txt should be") << Obstacle::LinkForScore;
    QTest::newRow("a named pipe where aquadrix.txt should be") << Obstacle::PipeForScore;
    QTest::newRow("a folder that cannot be created") << Obstacle::ReadOnlyDataHome;
    QTest::newRow("a folder that takes no new files") << Obstacle::ReadOnlyFolder;
}

} // namespace

class RecordReadingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testing::configureTestApplication(); }

    void firstRunCreatesBothFilesEmpty();
    void storedRecordIsReadWholeAndLeftUnchanged();
    void unusablePlaceGivesOneMessageAndEmptyTexts_data() { addObstacleRows(); }
    void unusablePlaceGivesOneMessageAndEmptyTexts();
    void folderFollowsTheBaseDirectoryRules_data();
    void folderFollowsTheBaseDirectoryRules();
    void garbageFileIsReadOnlyUpToTheLimit();
    void utf8SequenceCutByTheLimitIsDropped();
    void administratorSeesWhatPupilsGamesMeet_data();
    void administratorSeesWhatPupilsGamesMeet();
};

void RecordReadingTest::firstRunCreatesBothFilesEmpty() {
    const RecordFolder records;
    const RecordsAtStartup shown = testing::openChosenRecordFiles();
    QCOMPARE(shown.error, QString());
    QCOMPARE(GetSystemDir(readSettings()), records.folder());
    QCOMPARE(shown.score, QString());
    QCOMPARE(shown.name, QString());
    QCOMPARE(records.read(kScoreFileName), QByteArray(""));
    QCOMPARE(records.read(kNameFileName), QByteArray(""));
}

void RecordReadingTest::storedRecordIsReadWholeAndLeftUnchanged() {
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    records.write(kNameFileName, "Niccol\xF2\r\n");
    const RecordsAtStartup shown = testing::openChosenRecordFiles();
    QCOMPARE(shown.error, QString());
    QCOMPARE(shown.score, u" 12\r\n"_s);
    QCOMPARE(shown.name, u"Niccolò\r\n"_s);
    QVERIFY(shown.read);
    QCOMPARE(records.read(kScoreFileName), QByteArray(" 12\r\n"));
    QCOMPARE(records.read(kNameFileName), QByteArray("Niccol\xF2\r\n"));
    QCOMPARE(records.entries(), RecordFolder::pairAndLock());
}

void RecordReadingTest::unusablePlaceGivesOneMessageAndEmptyTexts() {
    QFETCH(Obstacle, obstacle);
    RecordFolder records;
    const QString blocked = placeObstacle(records, obstacle);
    const QByteArray oldName = records.read(kNameFileName);
    const QByteArray oldScore = records.read(kScoreFileName);

    const RecordsAtStartup shown = [&] {
        const ObeyFilePermissions asAPlayer;
        return testing::openChosenRecordFiles();
    }();
    QVERIFY2(shown.error.contains(blocked), qPrintable(shown.error));
    QVERIFY(shown.error.contains(u"Motivo: "));
    QVERIFY(!shown.read);
    QCOMPARE(shown.score, QString());
    QCOMPARE(shown.name, QString());
    QCOMPARE(records.read(kNameFileName), oldName);
    if (obstacle == Obstacle::FolderForName || obstacle == Obstacle::ReadOnlyFolder)
        QCOMPARE(records.read(kScoreFileName), oldScore);
}

void RecordReadingTest::folderFollowsTheBaseDirectoryRules_data() {
    // "@" stands for a fresh folder, a null text for an unset variable or key; an empty folder is
    // none. A class's folder named here exists unless its name says "missing"; "unreadable" puts a
    // folder in the configuration file's place.
    QTest::addColumn<QString>("dataHome");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("recordDir");  // BRIVADORO_RECORD_DIR
    QTest::addColumn<QString>("configured"); // RecordFolder in the configuration file
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("usable");
    const QString unset = QString();
    QTest::newRow("XDG_DATA_HOME") << u"@/data"_s << u"@"_s << unset << unset << u"@/data/brivadoro/"_s
                                   << true;
    QTest::newRow("XDG_DATA_HOME not there yet")
        << u"@/new/data"_s << unset << unset << unset << u"@/new/data/brivadoro/"_s << true;
    QTest::newRow("XDG_DATA_HOME unset")
        << unset << u"@"_s << unset << unset << u"@/.local/share/brivadoro/"_s << true;
    QTest::newRow("XDG_DATA_HOME empty")
        << u""_s << u"@"_s << unset << unset << u"@/.local/share/brivadoro/"_s << true;
    QTest::newRow("XDG_DATA_HOME relative")
        << u"data"_s << u"@"_s << unset << unset << u"@/.local/share/brivadoro/"_s << true;
    QTest::newRow("HOME and XDG_DATA_HOME unset") << unset << unset << unset << unset << u""_s << false;
    QTest::newRow("HOME relative") << unset << u"home"_s << unset << unset << u""_s << false;
    QTest::newRow("HOME pointing nowhere") << unset << u"@/nowhere"_s << unset << unset << u""_s << false;
    QTest::newRow("configuration file")
        << u"@/data"_s << u"@"_s << unset << u"@/classe"_s << u"@/classe/"_s << true;
    QTest::newRow("configuration file, a name with a comma")
        << u"@/data"_s << u"@"_s << unset << u"@/3A,3B"_s << u"@/3A,3B/"_s << true;
    QTest::newRow("BRIVADORO_RECORD_DIR over the configuration file")
        << u"@/data"_s << u"@"_s << u"@/prova"_s << u"@/classe"_s << u"@/prova/"_s << true;
    QTest::newRow("configured folder missing")
        << u"@/data"_s << u"@"_s << unset << u"@/missing"_s << u"@/missing/"_s << false;
    QTest::newRow("BRIVADORO_RECORD_DIR relative")
        << u"@/data"_s << u"@"_s << u"classe"_s << unset << u"classe/"_s << false;
    QTest::newRow("a configuration file that cannot be read")
        << u"@/data"_s << u"@"_s << unset << u"unreadable"_s << u""_s << false;
}

// Relative paths would move with the working folder, and a missing HOME would put the records in the
// root folder: the game then keeps no record and says so. A class's folder that cannot serve is
// named, never created, and nothing is written anywhere else.
void RecordReadingTest::folderFollowsTheBaseDirectoryRules() {
    QFETCH(QString, dataHome);
    QFETCH(QString, home);
    QFETCH(QString, recordDir);
    QFETCH(QString, configured);
    QFETCH(QString, folder);
    QFETCH(bool, usable);
    const RecordFolder records;
    const auto placed = [&](QString path) { return path.replace(u'@', records.home()); };
    for (const QString& classFolder : {recordDir, configured}) {
        if (classFolder.startsWith(u'@') && !classFolder.contains(u"missing"))
            QDir().mkpath(placed(classFolder));
    }
    const QString configFile = records.home() + u"/etc-xdg/brivadoro/brivadoro.conf"_s;
    if (configured == u"unreadable") {
        QDir().mkpath(configFile);
    } else if (!configured.isNull()) {
        QDir().mkpath(records.home() + u"/etc-xdg/brivadoro"_s);
        QFile config(configFile);
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("[General]\nRecordFolder=" + placed(configured).toUtf8() + '\n');
    }
    const EnvironmentValue configDirs("XDG_CONFIG_DIRS",
                                      u"relative:@/etc-xdg"_s.replace(u'@', records.home()));
    const EnvironmentValue recordDirValue("BRIVADORO_RECORD_DIR", placed(recordDir));
    const EnvironmentValue dataHomeValue("XDG_DATA_HOME", placed(dataHome));
    const EnvironmentValue homeValue("HOME", placed(home));
    const QStringList before = QDir(records.home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    const RecordsAtStartup shown = testing::openChosenRecordFiles();
    QCOMPARE(GetSystemDir(readSettings()), placed(folder));
    if (!usable) {
        const QString told = configured == u"unreadable" ? configFile
                             : folder.isEmpty()          ? u"(cartella sconosciuta)"_s
                                                         : placed(folder);
        QVERIFY2(shown.error.contains(told), qPrintable(shown.error));
        QCOMPARE(QDir(records.home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(!QFileInfo::exists(folder) || folder.isEmpty());
    } else {
        QCOMPARE(shown.error, QString());
        QVERIFY(QFileInfo::exists(placed(folder) + kScoreFileName.toString()));
    }
}

void RecordReadingTest::garbageFileIsReadOnlyUpToTheLimit() {
    const RecordFolder records;
    QByteArray garbage(qsizetype{10} * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(4);
    std::generate(garbage.begin(), garbage.end(), [&generator] { return char(generator.bounded(256)); });
    records.write(kScoreFileName, garbage);

    const RecordsAtStartup shown = testing::openChosenRecordFiles();
    QCOMPARE(shown.error, QString());
    QVERIFY(shown.score.size() <= kRecordReadLimit);
    QVERIFY(shown.score.size() >= kRecordReadLimit / 4);
    QCOMPARE(records.read(kScoreFileName).size(), garbage.size());
}

void RecordReadingTest::utf8SequenceCutByTheLimitIsDropped() {
    const RecordFolder records;
    const QByteArray fill(kRecordReadLimit - 1, 'a');
    records.write(kNameFileName, fill + "\xC3\xA9 and more");
    QCOMPARE(Leggifiletxt(records.path(kNameFileName)), QString::fromLatin1(fill));
}

void RecordReadingTest::administratorSeesWhatPupilsGamesMeet_data() {
    QTest::addColumn<int>("mode"); // of the record files, which are a pupil's
    QTest::addColumn<int>("status");
    QTest::newRow("the class may read the record") << 0640 << 0;
    QTest::newRow("a pupil's private record file") << 0600 << 1;
}

// Root may read and replace anything; its check speaks for the pupils' games, which cannot store a
// record over one they cannot read.
void RecordReadingTest::administratorSeesWhatPupilsGamesMeet() {
    QFETCH(int, mode);
    QFETCH(int, status);
    if (::geteuid() != 0)
        QSKIP("Only root's check speaks for the folder's group");
    const RecordFolder records(testing::Sharing::Class);
    for (const QStringView name : {kScoreFileName, kNameFileName}) {
        records.write(name, "Anna\r\n");
        (void)::chown(QFile::encodeName(records.path(name)).constData(), testing::kPupilA.uid,
                      testing::kClassGroup);
        ::chmod(QFile::encodeName(records.path(name)).constData(), mode_t(mode));
    }
    const CommandLineAnswer answer = showRecord(readSettings());
    QCOMPARE(answer.exitStatus, std::optional(status));
    const QString named = records.path(kScoreFileName) + u" non si può leggere dal gruppo"_s;
    QCOMPARE(answer.standardOutput.contains(named), status != 0);
}

QTEST_MAIN(RecordReadingTest)
#include "tst_record_reading.moc"
