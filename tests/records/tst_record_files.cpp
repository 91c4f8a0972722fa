#include <algorithm>

#include <sys/stat.h>

#include <QRandomGenerator>
#include <QTest>

#include "board/board_state.h"
#include "records/record_files.h"
#include "support/file_permissions.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace brivadoro;
using brivadoro::testing::ObeyFilePermissions;
using brivadoro::testing::RecordFolder;

namespace {

// Something standing where the records should be.
enum class Obstacle {
    FileAboveDataHome,
    FileForFolder,
    FolderForScore,
    FolderForName,
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
        QString blocker = records.home() + u"/blocker"_qs;
        QFile(blocker).open(QIODevice::WriteOnly);
        qputenv("XDG_DATA_HOME", (blocker + u"/data"_qs).toUtf8());
        return blocker;
    }
    case Obstacle::FileForFolder:
        QFile(records.home() + u"/brivadoro"_qs).open(QIODevice::WriteOnly);
        return records.home() + u"/brivadoro"_qs;
    case Obstacle::FolderForScore:
        records.write(kNameFileName, kOldName.toByteArray());
        makeFolder(kScoreFileName);
        return records.path(kScoreFileName);
    case Obstacle::FolderForName:
        records.write(kScoreFileName, kOldScore.toByteArray());
        makeFolder(kNameFileName);
        return records.path(kNameFileName);
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

// Sets or unsets one environment variable for the life of the object.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const QString& value) : name_(name), old_(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toUtf8());
    }
    ~EnvironmentValue() { qputenv(name_, old_); }
    EnvironmentValue(const EnvironmentValue&) = delete;
    EnvironmentValue& operator=(const EnvironmentValue&) = delete;

private:
    const char* name_;
    QByteArray old_;
};

void addObstacleRows() {
    QTest::addColumn<Obstacle>("obstacle");
    QTest::newRow("XDG_DATA_HOME under a regular file") << Obstacle::FileAboveDataHome;
    QTest::newRow("a file where the folder should be") << Obstacle::FileForFolder;
    QTest::newRow("a folder where aquadrix.txt should be") << Obstacle::FolderForScore;
    QTest::newRow("a folder where quadrix.txt should be") << Obstacle::FolderForName;
    QTest::newRow("a named pipe where aquadrix.txt should be") << Obstacle::PipeForScore;
    QTest::newRow("a folder that cannot be created") << Obstacle::ReadOnlyDataHome;
    QTest::newRow("a folder that takes no new files") << Obstacle::ReadOnlyFolder;
}

} // namespace

class RecordFilesTest : public QObject {
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
    void writtenPairComesBackExactly_data();
    void writtenPairComesBackExactly();
    void failedWriteLeavesTheOldPairWhole_data();
    void failedWriteLeavesTheOldPairWhole();
    void stoppedWriteIsFinishedOrUndoneBeforeReading_data();
    void stoppedWriteIsFinishedOrUndoneBeforeReading();
    void lockLeftByAGoneGameIsTakenOver_data();
    void lockLeftByAGoneGameIsTakenOver();
};

void RecordFilesTest::firstRunCreatesBothFilesEmpty() {
    const RecordFolder records;
    BoardState state;
    const RecordsAtStartup shown = openRecordFiles(state);
    QCOMPARE(shown.error, QString());
    QCOMPARE(state.windowsDir, records.folder());
    QCOMPARE(shown.score, QString());
    QCOMPARE(shown.name, QString());
    QCOMPARE(records.read(kScoreFileName), QByteArray(""));
    QCOMPARE(records.read(kNameFileName), QByteArray(""));
}

void RecordFilesTest::storedRecordIsReadWholeAndLeftUnchanged() {
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    records.write(kNameFileName, "Niccol\xF2\r\n");
    BoardState state;
    const RecordsAtStartup shown = openRecordFiles(state);
    QCOMPARE(shown.error, QString());
    QCOMPARE(shown.score, u" 12\r\n"_qs);
    QCOMPARE(shown.name, u"Niccolò\r\n"_qs);
    QVERIFY(state.recordReadAtStartup);
    QCOMPARE(records.read(kScoreFileName), QByteArray(" 12\r\n"));
    QCOMPARE(records.read(kNameFileName), QByteArray("Niccol\xF2\r\n"));
    QCOMPARE(records.entries(), QStringList({kScoreFileName.toString(), kNameFileName.toString()}));
}

void RecordFilesTest::unusablePlaceGivesOneMessageAndEmptyTexts() {
    QFETCH(Obstacle, obstacle);
    RecordFolder records;
    const QString blocked = placeObstacle(records, obstacle);
    const QByteArray oldName = records.read(kNameFileName);
    const QByteArray oldScore = records.read(kScoreFileName);

    BoardState state;
    const RecordsAtStartup shown = [&] {
        const ObeyFilePermissions asAPlayer;
        return openRecordFiles(state);
    }();
    QVERIFY2(shown.error.contains(blocked), qPrintable(shown.error));
    QVERIFY(shown.error.contains(u"Motivo: "));
    QVERIFY(!state.recordReadAtStartup);
    QCOMPARE(shown.score, QString());
    QCOMPARE(shown.name, QString());
    QCOMPARE(records.read(kNameFileName), oldName);
    if (obstacle == Obstacle::FolderForName || obstacle == Obstacle::ReadOnlyFolder)
        QCOMPARE(records.read(kScoreFileName), oldScore);
}

void RecordFilesTest::folderFollowsTheBaseDirectoryRules_data() {
    // "@" stands for a fresh folder, a null text for an unset variable; an empty folder is none.
    QTest::addColumn<QString>("dataHome");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("folder");
    const QString unset = QString();
    QTest::newRow("XDG_DATA_HOME") << u"@/data"_qs << u"@"_qs << u"@/data/brivadoro/"_qs;
    QTest::newRow("XDG_DATA_HOME not there yet") << u"@/new/data"_qs << unset << u"@/new/data/brivadoro/"_qs;
    QTest::newRow("XDG_DATA_HOME unset") << unset << u"@"_qs << u"@/.local/share/brivadoro/"_qs;
    QTest::newRow("XDG_DATA_HOME empty") << u""_qs << u"@"_qs << u"@/.local/share/brivadoro/"_qs;
    QTest::newRow("XDG_DATA_HOME relative") << u"data"_qs << u"@"_qs << u"@/.local/share/brivadoro/"_qs;
    QTest::newRow("HOME and XDG_DATA_HOME unset") << unset << unset << u""_qs;
    QTest::newRow("HOME relative") << unset << u"home"_qs << u""_qs;
    QTest::newRow("HOME pointing nowhere") << unset << u"@/nowhere"_qs << u""_qs;
}

// Relative paths would move with the working folder, and a missing HOME would put the records in the
// root folder: the game then keeps no record and says so.
void RecordFilesTest::folderFollowsTheBaseDirectoryRules() {
    QFETCH(QString, dataHome);
    QFETCH(QString, home);
    QFETCH(QString, folder);
    const RecordFolder records;
    const auto placed = [&](QString path) { return path.replace(u'@', records.home()); };
    const EnvironmentValue dataHomeValue("XDG_DATA_HOME", placed(dataHome));
    const EnvironmentValue homeValue("HOME", placed(home));
    const QStringList before = QDir(records.home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    BoardState state;
    const RecordsAtStartup shown = openRecordFiles(state);
    QCOMPARE(state.windowsDir, placed(folder));
    if (folder.isEmpty()) {
        QVERIFY2(shown.error.contains(u"(cartella sconosciuta)"), qPrintable(shown.error));
        QCOMPARE(QDir(records.home()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    } else {
        QCOMPARE(shown.error, QString());
        QVERIFY(QFileInfo::exists(placed(folder) + kScoreFileName.toString()));
    }
}

void RecordFilesTest::garbageFileIsReadOnlyUpToTheLimit() {
    const RecordFolder records;
    QByteArray garbage(qsizetype{10} * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(4);
    std::generate(garbage.begin(), garbage.end(), [&generator] { return char(generator.bounded(256)); });
    records.write(kScoreFileName, garbage);

    BoardState state;
    const RecordsAtStartup shown = openRecordFiles(state);
    QCOMPARE(shown.error, QString());
    QVERIFY(shown.score.size() <= kRecordReadLimit);
    QVERIFY(shown.score.size() >= kRecordReadLimit / 4);
    QCOMPARE(records.read(kScoreFileName).size(), garbage.size());
}

void RecordFilesTest::utf8SequenceCutByTheLimitIsDropped() {
    const RecordFolder records;
    const QByteArray fill(kRecordReadLimit - 1, 'a');
    records.write(kNameFileName, fill + "\xC3\xA9 and more");
    QCOMPARE(Leggifiletxt(records.path(kNameFileName)), QString::fromLatin1(fill));
}

void RecordFilesTest::writtenPairComesBackExactly_data() {
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("scoreBytes");
    QTest::addColumn<QByteArray>("nameBytes");
    QTest::newRow("blank and 12") << u" 12"_qs << u"Anna"_qs << QByteArray("\x20\x31\x32\x0D\x0A")
                                  << QByteArray("Anna\r\n");
    QTest::newRow("after a miss, no name")
        << u"12"_qs << u""_qs << QByteArray("12\r\n") << QByteArray("\r\n");
    QTest::newRow("name beyond an 8-bit code page")
        << u" 7"_qs << u"Zoë Łukasz"_qs << QByteArray(" 7\r\n") << QByteArray("Zo\xC3\xAB \xC5\x81ukasz\r\n");
    const QString longestName(kLongestName, QChar(0x20AC)); // three bytes each in UTF-8
    QTest::newRow("longest name the name box takes")
        << u" 9"_qs << longestName << QByteArray(" 9\r\n") << longestName.toUtf8() + "\r\n";
    QTest::newRow("rich text as typed") << u" 3"_qs << u"<b>Anna</b><img src=x>"_qs << QByteArray(" 3\r\n")
                                        << QByteArray("<b>Anna</b><img src=x>\r\n");
}

void RecordFilesTest::writtenPairComesBackExactly() {
    QFETCH(QString, score);
    QFETCH(QString, name);
    QFETCH(QByteArray, scoreBytes);
    QFETCH(QByteArray, nameBytes);
    const RecordFolder records;
    records.write(kScoreFileName, "999\r\n");
    writeRecordPair(RecordLock(records.folder()), score, name);
    QCOMPARE(records.read(kScoreFileName), scoreBytes);
    QCOMPARE(records.read(kNameFileName), nameBytes);

    BoardState state;
    const RecordsAtStartup shown = openRecordFiles(state);
    QCOMPARE(shown.score, score + u"\r\n"_qs);
    QCOMPARE(shown.name, name + u"\r\n"_qs);
}

void RecordFilesTest::failedWriteLeavesTheOldPairWhole_data() {
    QTest::addColumn<bool>("nameBlocked");
    QTest::newRow("quadrix.txt fails after aquadrix.txt was prepared") << true;
    QTest::newRow("aquadrix.txt fails first") << false;
}

void RecordFilesTest::failedWriteLeavesTheOldPairWhole() {
    QFETCH(bool, nameBlocked);
    const RecordFolder records;
    const QStringView blockedFile = nameBlocked ? kNameFileName : kScoreFileName;
    const QStringView keptFile = nameBlocked ? kScoreFileName : kNameFileName;
    records.write(keptFile, "old\r\n");
    QDir().mkpath(records.path(blockedFile));
    const QStringList before = records.entries();

    try {
        writeRecordPair(RecordLock(records.folder()), u" 15"_qs, u"Bea"_qs);
        QFAIL("the write succeeded over a folder");
    } catch (const RecordFileError& error) {
        QCOMPARE(error.path(), records.path(blockedFile));
        QVERIFY(!error.reason().isEmpty());
    }
    QCOMPARE(records.read(keptFile), QByteArray("old\r\n"));
    QVERIFY(QFileInfo(records.path(blockedFile)).isDir());
    // entries() lists the folder anew; cppcheck takes it for the value read before.
    // cppcheck-suppress knownConditionTrueFalse
    QCOMPARE(records.entries(), before);
}

void RecordFilesTest::stoppedWriteIsFinishedOrUndoneBeforeReading_data() {
    // What a writer stopped at each step of replacing " 12" Anna by " 15" Bea leaves beside the pair.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("new score cut short") << QStringList{u"aquadrix.txt.nuovo= 1"_qs} << false;
    QTest::newRow("both staged, not committed")
        << QStringList{u"aquadrix.txt.nuovo= 15"_qs, u"quadrix.txt.nuovo=Bea"_qs} << false;
    QTest::newRow("committed") << QStringList{u"aquadrix.txt.nuovo= 15"_qs, u"quadrix.txt.pronto=Bea"_qs}
                               << true;
    QTest::newRow("committed, score in place")
        << QStringList{u"aquadrix.txt= 15"_qs, u"quadrix.txt.pronto=Bea"_qs} << true;
}

void RecordFilesTest::stoppedWriteIsFinishedOrUndoneBeforeReading() {
    QFETCH(QStringList, files);
    QFETCH(bool, replaced);
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    records.write(kNameFileName, "Anna\r\n");
    for (const QString& file : files)
        records.write(file.section(u'=', 0, 0), file.section(u'=', 1).toUtf8() + "\r\n");

    BoardState state;
    const RecordsAtStartup shown = openRecordFiles(state);
    QCOMPARE(shown.error, QString());
    QCOMPARE(shown.score, replaced ? u" 15\r\n"_qs : u" 12\r\n"_qs);
    QCOMPARE(shown.name, replaced ? u"Bea\r\n"_qs : u"Anna\r\n"_qs);
    QCOMPARE(records.entries(), QStringList({kScoreFileName.toString(), kNameFileName.toString()}));
}

void RecordFilesTest::lockLeftByAGoneGameIsTakenOver_data() {
    QTest::addColumn<QByteArray>("lock");
    QTest::addColumn<int>("ageSeconds");
    QTest::newRow("killed game of this machine") << QByteArray("2147483647\nbrivadoro\n\n") << 0;
    QTest::newRow("game killed before it named its process") << QByteArray() << 0;
    QTest::newRow("game of another machine, a minute ago")
        << QByteArray("4242\nbrivadoro\naltrove\naltra-macchina\naltro-avvio\n") << 60;
}

// A lock whose game is gone never keeps the next game from its record.
void RecordFilesTest::lockLeftByAGoneGameIsTakenOver() {
    QFETCH(QByteArray, lock);
    QFETCH(int, ageSeconds);
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    records.write(kNameFileName, "Anna\r\n");
    QFile lockFile(records.path(u"record.lock"));
    QVERIFY(lockFile.open(QIODevice::WriteOnly));
    QVERIFY(lockFile.write(lock) == lock.size() && lockFile.flush());
    QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                                 QFileDevice::FileModificationTime));
    lockFile.close();

    BoardState state;
    const RecordsAtStartup shown = openRecordFiles(state);
    QCOMPARE(shown.error, QString());
    QCOMPARE(shown.score, u" 12\r\n"_qs);
    QCOMPARE(records.entries(), QStringList({kScoreFileName.toString(), kNameFileName.toString()}));
}

QTEST_MAIN(RecordFilesTest)
#include "tst_record_files.moc"
