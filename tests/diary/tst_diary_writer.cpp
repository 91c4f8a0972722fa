#include <sys/stat.h>
#include <unistd.h>

#include <QTest>

#include "diary/diary_folder.h"
#include "diary/diary_writer.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::testing::RecordFolder;
using brivadoro::testing::Sharing;

namespace {

// What stands at diario/ when a game ends.
enum class Prepared { OwnFolder, ClassReady, ClassMissing, ClassNotSticky, ClassPupils, ClassLink };

const DiaryEntry kEntry{u"2026-12-10T12:50:39+01:00"_s, u"Anna\tB."_s, 15, 16, 0, GameEnd::Time};

void setMode(const QString& path, mode_t mode) {
    ::chmod(QFile::encodeName(path).constData(), mode);
}

QString ownFile(const QString& folder, bool taken = false) {
    return folder + u"diario/"_s + diaryFileName(::geteuid(), taken);
}

} // namespace

class DiaryWriterTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testing::configureTestApplication(); }
    void entryKeptOnlyInAFolderThatCanBeTrusted_data();
    void entryKeptOnlyInAFolderThatCanBeTrusted();
    void tornLineNeverSwallowsTheNextEntry();
    void anotherAccountsFileIsNeverWritten();
};

void DiaryWriterTest::entryKeptOnlyInAFolderThatCanBeTrusted_data() {
    QTest::addColumn<Prepared>("prepared");
    QTest::addColumn<int>("fileMode"); // 0 when no entry may be kept
    QTest::newRow("the player's own folder, made by the first entry") << Prepared::OwnFolder << 0600;
    QTest::newRow("a class's diario/ as the administrator makes it") << Prepared::ClassReady << 0640;
    QTest::newRow("a class's folder with no diario/") << Prepared::ClassMissing << 0;
    QTest::newRow("a class's diario/ that is not sticky") << Prepared::ClassNotSticky << 0;
    QTest::newRow("a class's diario/ made by a pupil") << Prepared::ClassPupils << 0;
    QTest::newRow("a class's diario/ that is a link") << Prepared::ClassLink << 0;
}

// Only a folder where no pupil can change another's file keeps a diary; the game never makes a
// class's diario/, and never follows a link there.
void DiaryWriterTest::entryKeptOnlyInAFolderThatCanBeTrusted() {
    QFETCH(Prepared, prepared);
    QFETCH(int, fileMode);
    if (prepared == Prepared::ClassPupils && ::geteuid() != 0)
        QSKIP("A diario/ of another account's needs root to make");
    const RecordFolder records(prepared == Prepared::OwnFolder ? Sharing::OneLogin : Sharing::Class);
    const QString diario = records.folder() + u"diario"_s;
    const QString elsewhere = records.home() + u"/altrove"_s;
    QDir().mkpath(prepared == Prepared::ClassLink ? elsewhere : diario);
    if (prepared == Prepared::ClassLink)
        QFile::link(elsewhere, diario);
    if (prepared == Prepared::ClassPupils)
        (void)::chown(QFile::encodeName(diario).constData(), testing::kPupilA.uid, testing::kClassGroup);
    if (prepared != Prepared::OwnFolder && prepared != Prepared::ClassMissing)
        setMode(prepared == Prepared::ClassLink ? elsewhere : diario,
                prepared == Prepared::ClassNotSticky ? 02770 : 03770);
    if (prepared == Prepared::OwnFolder || prepared == Prepared::ClassMissing)
        QDir(diario).removeRecursively();

    const QString failure = appendDiaryEntry(chooseRecordFolder(readSettings()), kEntry, nullptr);
    QCOMPARE(failure.isEmpty(), fileMode != 0);
    FileStatus file{};
    const bool kept = ::lstat(QFile::encodeName(ownFile(records.folder())).constData(), &file) == 0;
    QCOMPARE(kept, fileMode != 0);
    QVERIFY(QDir(elsewhere).isEmpty());
    if (!kept) {
        QVERIFY2(failure.contains(diario), qPrintable(failure));
        QCOMPARE(QFileInfo::exists(diario), prepared != Prepared::ClassMissing);
        return;
    }
    QCOMPARE(file.st_mode & 07777, mode_t(fileMode));
    QFile written(ownFile(records.folder()));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), kDiaryHeader.toByteArray() + encodeDiaryLine(kEntry));
    if (prepared == Prepared::OwnFolder)
        QCOMPARE(QFileInfo(diario).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

// A line cut short by a power cut stays a line of its own, and the next entry comes whole after it.
void DiaryWriterTest::tornLineNeverSwallowsTheNextEntry() {
    const RecordFolder records;
    QDir().mkpath(records.folder() + u"diario"_s);
    const QByteArray torn = kDiaryHeader.toByteArray() + encodeDiaryLine(kEntry).chopped(9);
    records.write(u"diario/"_s + diaryFileName(::geteuid(), false), torn);
    setMode(ownFile(records.folder()), 0600);
    QCOMPARE(appendDiaryEntry(chooseRecordFolder(readSettings()), kEntry, nullptr), QString());
    QFile written(ownFile(records.folder()));
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(!decodeDiaryLine(lines[1]));
    QCOMPARE(decodeDiaryLine(lines[2]).value_or(DiaryEntry{}).name, kEntry.name);
}

// In a class's diario/, a file or link under this account's name that another account left is never
// written, followed, removed or replaced: the entry goes to a name of this account's own.
void DiaryWriterTest::anotherAccountsFileIsNeverWritten() {
    if (::geteuid() != 0)
        QSKIP("Another account's file needs root to make");
    const RecordFolder records(Sharing::Class);
    const QString diario = records.folder() + u"diario"_s;
    QDir().mkpath(diario);
    setMode(diario, 03770);
    const QString planted = ownFile(records.folder());
    records.write(u"diario/"_s + diaryFileName(::geteuid(), false), "di Anna\n");
    (void)::chown(QFile::encodeName(planted).constData(), testing::kPupilA.uid, testing::kClassGroup);
    setMode(planted, 0666);
    QCOMPARE(appendDiaryEntry(chooseRecordFolder(readSettings()), kEntry, nullptr), QString());
    QCOMPARE(records.read(u"diario/"_s + diaryFileName(::geteuid(), false)), QByteArray("di Anna\n"));
    QFile own(ownFile(records.folder(), true));
    QVERIFY(own.open(QIODevice::ReadOnly));
    QCOMPARE(own.readAll(), kDiaryHeader.toByteArray() + encodeDiaryLine(kEntry));
}

QTEST_MAIN(DiaryWriterTest)
#include "tst_diary_writer.moc"
