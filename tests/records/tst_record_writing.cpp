#include <csignal>
#include <cstring>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProcess>
#include <QSysInfo>
#include <QTest>
#include <QThread>

#include "board/board_state.h"
#include "cycled_records.h"
#include "records/new_file.h"
#include "records/record_commands.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "records/record_text.h"
#include "support/file_permissions.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::testing::ObeyFilePermissions;
using brivadoro::testing::RecordFolder;

namespace {

// What the previous version's game, or a pupil, left under the lock's name.
enum class LeftLock { PreviousVersion, Unreadable, Link, Pipe, Socket, Folder };

// What becomes of a game that holds the records while another wants them.
enum class Holder { Writes, Killed, Stopped };

constexpr int kHelperWaitMs = 10'000;
constexpr unsigned long kSlowSyncMs = 1500;

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
    void plantedLockNeverBlocks_data();
    void plantedLockNeverBlocks();
    void lockHeldByAnotherGame_data();
    void lockHeldByAnotherGame();
    void slowDiskStillStoresTheRecord();
    void gameWhoseLockWasReplacedTouchesNothing();
    void resetRemovesOnlyTheRecordItShowed();
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

    const RecordsAtStartup shown = testing::openChosenRecordFiles();
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
    QStringList before = records.entries() << u"record.lock"_s;
    before.sort();

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

    const RecordsAtStartup shown = testing::openChosenRecordFiles();
    QCOMPARE(shown.error, QString());
    QCOMPARE(shown.score, replaced ? u" 15\r\n"_s : u" 12\r\n"_s);
    QCOMPARE(shown.name, replaced ? u"Bea\r\n"_s : u"Anna\r\n"_s);
    QCOMPARE(records.entries(), RecordFolder::pairAndLock());
}

void RecordWritingTest::plantedLockNeverBlocks_data() {
    QTest::addColumn<LeftLock>("left");
    QTest::newRow("the previous version's lock, naming a live process") << LeftLock::PreviousVersion;
    QTest::newRow("a lock file that no one may read or write") << LeftLock::Unreadable;
    QTest::newRow("a symbolic link to a file outside the folder") << LeftLock::Link;
    QTest::newRow("a named pipe") << LeftLock::Pipe;
    QTest::newRow("a socket") << LeftLock::Socket;
    QTest::newRow("a folder holding a file") << LeftLock::Folder;
}

// Whatever stands under the lock's name, only a live process's lock on it could keep a game from
// the record: anything this game cannot lock is replaced at once, and nothing is followed.
void RecordWritingTest::plantedLockNeverBlocks() {
    QFETCH(LeftLock, left);
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    records.write(kNameFileName, "Anna\r\n");
    const QString lockPath = records.path(u"record.lock");
    const QString outside = records.home() + u"/altrove.txt"_s;
    QFile(outside).open(QIODevice::WriteOnly);
    const QByteArray lockName = QFile::encodeName(lockPath);
    switch (left) {
    case LeftLock::PreviousVersion:
        records.write(u"record.lock", "1\n1\n" + QSysInfo::bootUniqueId() + "\nqui\n");
        break;
    case LeftLock::Unreadable:
        records.write(u"record.lock", {});
        ::chmod(lockName.constData(), 0);
        break;
    case LeftLock::Link:
        QFile::link(outside, lockPath);
        break;
    case LeftLock::Pipe:
        ::mkfifo(lockName.constData(), 0600);
        break;
    case LeftLock::Socket: {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, lockName.constData(), sizeof address.sun_path - 1);
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
        ::close(socket);
        break;
    }
    case LeftLock::Folder:
        records.write(u"record.lock/dentro.txt", "x");
        break;
    }

    const ObeyFilePermissions asAPlayer;
    const RecordsAtStartup shown = testing::openChosenRecordFiles();
    QCOMPARE(shown.error, QString());
    QCOMPARE(shown.score, u" 12\r\n"_s);
    writeRecordPair(RecordLock(records.folder()), u" 15"_s, u"Bea"_s);
    QCOMPARE(records.read(kNameFileName), QByteArray("Bea\r\n"));
    QCOMPARE(records.entriesBesidesSetAside(), RecordFolder::pairAndLock());
    QCOMPARE(QFileInfo(outside).size(), 0);
    FileStatus lock{};
    QCOMPARE(::lstat(lockName.constData(), &lock), 0);
    QVERIFY(S_ISREG(lock.st_mode));
    if (left != LeftLock::PreviousVersion)            // a file this game can lock is left as it is
        QCOMPARE(lock.st_mode & 07777, mode_t(0600)); // in the player's own folder, the player's alone
}

void RecordWritingTest::lockHeldByAnotherGame_data() {
    QTest::addColumn<Holder>("holder");
    QTest::addColumn<bool>("stored"); // whether this game stores its pair, after the holder's
    QTest::newRow("the holder ends its write meanwhile") << Holder::Writes << true;
    QTest::newRow("the holder killed") << Holder::Killed << true;
    QTest::newRow("the holder stopped for longer than the wait") << Holder::Stopped << false;
}

// Another game holds the records when this one wants them: this one waits for its write, never for a
// dead game, and gives up, changing nothing, only when the holder is stuck beyond the wait.
void RecordWritingTest::lockHeldByAnotherGame() {
    QFETCH(Holder, holder);
    QFETCH(bool, stored);
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    records.write(kNameFileName, "Anna\r\n");
    QProcess other;
    other.start(QCoreApplication::applicationDirPath() + u"/record_writer_helper"_s,
                {records.folder(), u"hold"_s, u"0"_s});
    while (!other.canReadLine() && other.waitForReadyRead(kHelperWaitMs)) {
    }
    QCOMPARE(other.readLine(), QByteArray("held\n"));
    if (holder == Holder::Writes) {
        other.write("go\n");
        QVERIFY(other.waitForBytesWritten(kHelperWaitMs));
    } else if (holder == Holder::Killed) {
        other.kill();
        QVERIFY(other.waitForFinished(kHelperWaitMs));
    } else {
        ::kill(pid_t(other.processId()), SIGSTOP);
    }

    try {
        writeRecordPair(RecordLock(records.folder()), u" 15"_s, u"Bea"_s);
        QVERIFY(stored);
    } catch (const RecordFileError& error) {
        QVERIFY2(!stored, error.what());
        QCOMPARE(error.path(), records.path(u"record.lock"));
        QCOMPARE(records.read(kScoreFileName), QByteArray(" 12\r\n"));
        ::kill(pid_t(other.processId()), SIGCONT);
        other.write("go\n");
    }
    QVERIFY(holder == Holder::Killed || other.waitForFinished(kHelperWaitMs));
    const auto cycled = testing::cycledRecords();
    const auto& [otherScore, otherName] = cycled[0];
    QCOMPARE(records.read(kScoreFileName), encodeRecordLine(stored ? u" 15"_s : otherScore));
    QCOMPARE(records.read(kNameFileName), encodeRecordLine(stored ? u"Bea"_s : otherName));
    QCOMPARE(records.entries(), RecordFolder::pairAndLock());
}

// The holder keeps the records however long the disk takes, so a slow disk never costs a record.
void RecordWritingTest::slowDiskStillStoresTheRecord() {
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    const DiskSyncOverride disk([](int handle) {
        QThread::msleep(kSlowSyncMs);
        return ::fsync(handle);
    });
    writeRecordPair(RecordLock(records.folder()), u" 15"_s, u"Bea"_s);
    QCOMPARE(records.read(kScoreFileName), QByteArray(" 15\r\n"));
    QCOMPARE(records.read(kNameFileName), QByteArray("Bea\r\n"));
}

// A game whose lock file was replaced, by another game that took it for a planted file, no longer
// holds the records: it removes no staging file, which may be the new holder's, and commits nothing.
void RecordWritingTest::gameWhoseLockWasReplacedTouchesNothing() {
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    const RecordLock lock(records.folder());
    records.write(u"nuovo.lock", {});
    QCOMPARE(std::rename(qPrintable(records.path(u"nuovo.lock")), qPrintable(records.path(u"record.lock"))),
             0);
    records.write(u"aquadrix.txt.nuovo", " 15\r\n"); // the new holder's, being written
    const QStringList before = records.entries();
    QVERIFY_THROWS_EXCEPTION(RecordFileError, readRecordPair(lock));
    QVERIFY_THROWS_EXCEPTION(RecordFileError, writeRecordPair(lock, u" 20"_s, u"Ciro"_s));
    // entries() lists the folder anew; cppcheck takes it for the value read before.
    // cppcheck-suppress knownConditionTrueFalse
    QCOMPARE(records.entries(), before);
    QCOMPARE(records.read(kScoreFileName), QByteArray(" 12\r\n"));
}

// The reset's question waits for a person without the lock: a record stored meanwhile is shown and
// kept, never removed on the strength of an answer about another.
void RecordWritingTest::resetRemovesOnlyTheRecordItShowed() {
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    records.write(kNameFileName, "Anna\r\n");
    const CommandLineAnswer answer = resetRecord(readSettings(), [&](const QString& question) {
        writeRecordPair(RecordLock(records.folder()), u" 30"_s, u"Bruno"_s);
        return question.contains(u"« 12», nome «Anna»");
    });
    QCOMPARE(answer.exitStatus, std::optional(1));
    QVERIFY2(answer.standardOutput.contains(u"« 30», nome «Bruno»"), qPrintable(answer.standardOutput));
    QCOMPARE(records.read(kScoreFileName), QByteArray(" 30\r\n"));
}

QTEST_MAIN(RecordWritingTest)
#include "tst_record_writing.moc"
