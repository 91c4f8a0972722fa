#include <QTest>

#include "board/board_state.h"
#include "records/record_files.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::testing::RecordFolder;

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
    writeRecordPair(RecordLock(records.folder()), score, name);
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
    QTest::addColumn<QByteArray>("lock");
    QTest::addColumn<int>("ageSeconds");
    QTest::newRow("killed game of this machine") << QByteArray("2147483647\nbrivadoro\n\n") << 0;
    QTest::newRow("game killed before it named its process") << QByteArray() << 0;
    QTest::newRow("game of another machine, a minute ago")
        << QByteArray("4242\nbrivadoro\naltrove\naltra-macchina\naltro-avvio\n") << 60;
}

// A lock whose game is gone never keeps the next game from its record.
void RecordWritingTest::lockLeftByAGoneGameIsTakenOver() {
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
    QCOMPARE(shown.score, u" 12\r\n"_s);
    QCOMPARE(records.entries(), QStringList({kScoreFileName.toString(), kNameFileName.toString()}));
}

QTEST_MAIN(RecordWritingTest)
#include "tst_record_writing.moc"
