#include <cerrno>
#include <optional>

#include <unistd.h>

#include <QTest>

#include "ending_game.h"
#include "support/file_permissions.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

enum class WriteFailure {
    FolderForName,
    ReadOnlyFolder,
    NoFolder,
    FolderGone,
    LockHeld,
    ScoreSync,
    NameSync,
    FolderSync
};

// Lets the disk refuse the given sync of a write, counting from 1, and take every other one.
DiskSync failingSync(int refused) {
    return [refused, syncs = 0](int handle) mutable {
        if (++syncs != refused)
            return ::fsync(handle);
        errno = EIO;
        return -1;
    };
}

// Puts the failure in place at the game's end, and returns the path the player must be told.
QString arrange(WriteFailure failure, EndingGame& ending, std::optional<RecordLock>& otherGame,
                std::optional<DiskSyncOverride>& disk) {
    RecordFolder& records = ending.records;
    QString told = records.path(kScoreFileName);
    switch (failure) {
    case WriteFailure::FolderForName:
        told = records.path(kNameFileName);
        QFile::remove(told);
        QDir().mkpath(told);
        break;
    case WriteFailure::ReadOnlyFolder:
        records.makeReadOnly(records.folder());
        told = records.folder();
        break;
    case WriteFailure::NoFolder:
        ending.game.state().windowsDir.clear(); // as start-up leaves it when the system names none
        told = u"(cartella sconosciuta)"_s;
        break;
    case WriteFailure::FolderGone:
        QDir(records.folder()).removeRecursively();
        told = records.folder();
        break;
    case WriteFailure::LockHeld:
        otherGame.emplace(records.folder());
        told = records.path(u"record.lock");
        break;
    case WriteFailure::ScoreSync:
        disk.emplace(failingSync(1));
        break;
    case WriteFailure::NameSync:
        disk.emplace(failingSync(2));
        told = records.path(kNameFileName);
        break;
    case WriteFailure::FolderSync:
        disk.emplace(failingSync(3));
        told = records.folder();
        break;
    }
    return told;
}

} // namespace

class FailedRecordWriteTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void failedWriteShowsOneMessageAndStillEndsNormally_data();
    void failedWriteShowsOneMessageAndStillEndsNormally();
};

void FailedRecordWriteTest::failedWriteShowsOneMessageAndStillEndsNormally_data() {
    QTest::addColumn<WriteFailure>("failure");
    QTest::newRow("a folder where quadrix.txt should be") << WriteFailure::FolderForName;
    QTest::newRow("the records folder made read-only during the game") << WriteFailure::ReadOnlyFolder;
    QTest::newRow("no records folder at all") << WriteFailure::NoFolder;
    QTest::newRow("the records folder gone during the game") << WriteFailure::FolderGone;
    QTest::newRow("the records held by another game throughout") << WriteFailure::LockHeld;
    QTest::newRow("the new score's file refused by the disk") << WriteFailure::ScoreSync;
    QTest::newRow("the new name's file refused by the disk") << WriteFailure::NameSync;
    QTest::newRow("the new files' names refused by the disk") << WriteFailure::FolderSync;
}

void FailedRecordWriteTest::failedWriteShowsOneMessageAndStillEndsNormally() {
    QFETCH(WriteFailure, failure);
    EndingGame ending(" 12\r\n", u" 15"_s, u"Anna"_s);
    const RecordFolder& records = ending.records;
    const QByteArray oldName = records.read(kNameFileName);
    std::optional<RecordLock> otherGame;
    std::optional<DiskSyncOverride> disk;
    const QString told = arrange(failure, ending, otherGame, disk);

    {
        const ObeyFilePermissions asAPlayer;
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, ending.game.cmdExit_Click());
    }
    otherGame.reset();
    QCOMPARE(ending.world.program.endedWith, 0);
    const std::vector<ShownBox>& shown = ending.world.dialogs.shown;
    QCOMPARE(shown.size(), 2u);
    QCOMPARE(shown[0].text, kGoodbye.toString());
    QVERIFY2(shown[1].text.contains(told), qPrintable(shown[1].text));
    QCOMPARE(shown[1].style, MessageStyle::IconExclamation);
    if (failure == WriteFailure::FolderGone) {
        QVERIFY(!QFileInfo::exists(records.folder()));
        return;
    }
    QCOMPARE(records.read(kScoreFileName), QByteArray(" 12\r\n"));
    if (failure != WriteFailure::FolderForName)
        QCOMPARE(records.read(kNameFileName), oldName);
    QCOMPARE(records.entries(), RecordFolder::pairAndLock());
}

QTEST_MAIN(FailedRecordWriteTest)
#include "tst_failed_record_write.moc"
