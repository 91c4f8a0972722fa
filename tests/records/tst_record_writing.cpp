#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QSysInfo>
#include <QTest>

#include "board/board_state.h"
#include "records/record_files.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::testing::RecordFolder;

namespace {

// What a game that stopped, or a pupil, left under the lock's name.
enum class LeftLock { KilledHere, NumberReused, Unnamed, OtherMachine, Link, Pipe };

} // namespace

class RecordWritingTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testing::configureTestApplication(); }

    void writtenPairComesBackExactly_data();
    void writtenPairComesBackExactly();
    void failedWriteLeavesTheOldPairWhole_data();
    void failedWriteLeavesTheOldPairWhole();
    void stoppedWriteIsFinishedOrUndoneBeforeReading_data();
    void stoppedWriteIsFinishedOrUndoneBeforeReading();
    void lockLeftByAGoneGameIsTakenOver_data();
    void lockLeftByAGoneGameIsTakenOver();
};

void RecordWritingTest::writtenPairComesBackExactly_data() {
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("scoreBytes");
    QTest::addColumn<QByteArray>("nameBytes");
    QTest::newRow("blank and 12") << u" 12"_s << u"Anna"_s << QByteArray("\x20\x31\x32\x0D\x0A")
                                  << QByteArray("Anna\r\n");
    QTest::newRow("after a miss, no name") << u"12"_s << u""_s << QByteArray("12\r\n") << QByteArray("\r\n");
    QTest::newRow("name beyond an 8-bit code page")
        << u" 7"_s << u"Zoë Łukasz"_s << QByteArray(" 7\r\n") << QByteArray("Zo\xC3\xAB \xC5\x81ukasz\r\n");
    const QString longestName(kLongestName, QChar(0x20AC)); // three bytes each in UTF-8
    QTest::newRow("longest name the name box takes")
        << u" 9"_s << longestName << QByteArray(" 9\r\n") << longestName.toUtf8() + "\r\n";
    QTest::newRow("rich text as typed") << u" 3"_s << u"<b>Anna</b><img src=x>"_s << QByteArray(" 3\r\n")
                                        << QByteArray("<b>Anna</b><img src=x>\r\n");
}

void RecordWritingTest::writtenPairComesBackExactly() {
    QFETCH(QString, score);
    QFETCH(QString, name);
    QFETCH(QByteArray, scoreBytes);
    QFETCH(QByteArray, nameBytes);
    const RecordFolder records;
    records.write(kScoreFileName, "999\r\n");
    // Each sync as the disk sees it: of the folder or a file, and with the new pair in place or not.
    std::vector<std::pair<bool, bool>> syncs;
    {
        const DiskSyncOverride disk([&](int handle) {
            FileStatus info{};
            ::fstat(handle, &info);
            const bool inPlace = records.read(kScoreFileName) == scoreBytes &&
                                 records.read(kNameFileName) == nameBytes &&
                                 !QFileInfo::exists(records.path(u"quadrix.txt.pronto"));
            syncs.emplace_back(S_ISDIR(info.st_mode), inPlace);
            return ::fsync(handle);
        });
        writeRecordPair(RecordLock(records.folder()), score, name);
    }
    // Without the folder's sync after the renames, a power cut could bring the old pair back.
    QVERIFY(!syncs.empty());
    QCOMPARE(syncs.back(), std::pair(true, true));
    QCOMPARE(records.read(kScoreFileName), scoreBytes);
    QCOMPARE(records.read(kNameFileName), nameBytes);

    BoardState state;
    const RecordsAtStartup shown = openRecordFiles(state);
    QCOMPARE(shown.score, score + u"\r\n"_s);
    QCOMPARE(shown.name, name + u"\r\n"_s);
}

void RecordWritingTest::failedWriteLeavesTheOldPairWhole_data() {
    QTest::addColumn<bool>("nameBlocked");
    QTest::newRow("quadrix.txt fails after aquadrix.txt was prepared") << true;
    QTest::newRow("aquadrix.txt fails first") << false;
}

void RecordWritingTest::failedWriteLeavesTheOldPairWhole() {
    QFETCH(bool, nameBlocked);
    const RecordFolder records;
    const QStringView blockedFile = nameBlocked ? kNameFileName : kScoreFileName;
    const QStringView keptFile = nameBlocked ? kScoreFileName : kNameFileName;
    records.write(keptFile, "old\r\n");
    QDir().mkpath(records.path(blockedFile));
    const QStringList before = records.entries();

    try {
        writeRecordPair(RecordLock(records.folder()), u" 15"_s, u"Bea"_s);
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

void RecordWritingTest::stoppedWriteIsFinishedOrUndoneBeforeReading_data() {
    // What a writer stopped at each step of replacing " 12" Anna by " 15" Bea leaves beside the pair.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("new score cut short") << QStringList{u"aquadrix.txt.nuovo= 1"_s} << false;
    QTest::newRow("both staged, not committed")
        << QStringList{u"aquadrix.txt.nuovo= 15"_s, u"quadrix.txt.nuovo=Bea"_s} << false;
    QTest::newRow("committed") << QStringList{u"aquadrix.txt.nuovo= 15"_s, u"quadrix.txt.pronto=Bea"_s}
                               << true;
    QTest::newRow("committed, score in place")
        << QStringList{u"aquadrix.txt= 15"_s, u"quadrix.txt.pronto=Bea"_s} << true;
}

void RecordWritingTest::stoppedWriteIsFinishedOrUndoneBeforeReading() {
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
    QCOMPARE(shown.score, replaced ? u" 15\r\n"_s : u" 12\r\n"_s);
    QCOMPARE(shown.name, replaced ? u"Bea\r\n"_s : u"Anna\r\n"_s);
    QCOMPARE(records.entries(), QStringList({kScoreFileName.toString(), kNameFileName.toString()}));
}

void RecordWritingTest::lockLeftByAGoneGameIsTakenOver_data() {
    QTest::addColumn<LeftLock>("left");
    QTest::addColumn<bool>("atOnce");
    QTest::newRow("killed game of this machine") << LeftLock::KilledHere << true;
    QTest::newRow("game of this machine whose number another process took") << LeftLock::NumberReused << true;
    QTest::newRow("game killed before it named its process") << LeftLock::Unnamed << false;
    QTest::newRow("game of another machine") << LeftLock::OtherMachine << false;
    QTest::newRow("a symbolic link to a file outside the folder") << LeftLock::Link << true;
    QTest::newRow("a named pipe") << LeftLock::Pipe << true;
}

// A lock whose game is gone never keeps the next game from its record; one that this machine
// cannot judge, since it may belong to a game of another machine still writing, is taken over only
// once watched unchanged for longer than any game holds it.
void RecordWritingTest::lockLeftByAGoneGameIsTakenOver() {
    QFETCH(LeftLock, left);
    QFETCH(bool, atOnce);
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    records.write(kNameFileName, "Anna\r\n");
    const QString lockPath = records.path(u"record.lock");
    const QString outside = records.home() + u"/altrove.txt"_s;
    QFile(outside).open(QIODevice::WriteOnly);
    const QByteArray boot = QSysInfo::bootUniqueId();
    const QByteArray parent = QByteArray::number(::getppid());
    switch (left) {
    case LeftLock::KilledHere:
        records.write(u"record.lock", "2147483647\n1\n" + boot + "\nqui\n");
        break;
    case LeftLock::NumberReused:
        records.write(u"record.lock", parent + "\n1\n" + boot + "\nqui\n");
        break;
    case LeftLock::Unnamed:
        records.write(u"record.lock", {});
        break;
    case LeftLock::OtherMachine:
        records.write(u"record.lock", "4242\n1\naltro-avvio\naltra-macchina\n");
        break;
    case LeftLock::Link:
        QFile::link(outside, lockPath);
        break;
    case LeftLock::Pipe:
        ::mkfifo(QFile::encodeName(lockPath).constData(), 0600);
        break;
    }

    QElapsedTimer waited;
    waited.start();
    BoardState state;
    const RecordsAtStartup shown = openRecordFiles(state);
    QCOMPARE(waited.elapsed() < kForeignLockAge.count(), atOnce);
    QCOMPARE(shown.error, QString());
    QCOMPARE(shown.score, u" 12\r\n"_s);
    QCOMPARE(records.entries(), QStringList({kScoreFileName.toString(), kNameFileName.toString()}));
    QCOMPARE(QFileInfo(outside).size(), 0);
}

QTEST_MAIN(RecordWritingTest)
#include "tst_record_writing.moc"
