#include <algorithm>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include "class_tricks.h"
#include "diary/diary_folder.h"
#include "diary/diary_line.h"
#include "pupil_player.h"
#include "records/new_file.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

constexpr int kRounds = 20;
constexpr QByteArrayView kGoodbye = "box               Ciao a presto.";
constexpr QByteArrayView kCongratulation = "box Ok ho registrato il tuo record, C A M P I O N E\"";
constexpr QByteArrayView kAnnaStoredMeanwhile =
    "box Hai superato il record di inizio partita, ma nel frattempo Anna ha registrato un nuovo record, "
    "con un punteggio di 30: il record resta suo.";

// Who is told to end first; a third game may hold the records until the higher score's goodbye.
enum class Order { HigherFirst, LowerFirst, Together, TogetherAfterAThirdGame };

struct Endings {
    QList<QByteArray> anna;
    QList<QByteArray> bruno;
};

// Ends both games in the order given.
Endings endInOrder(Player& anna, Player& bruno, Order order, const QString& folder) {
    Endings endings;
    std::optional<RecordLock> thirdGame;
    if (order == Order::TogetherAfterAThirdGame)
        thirdGame.emplace(folder);
    if (order == Order::LowerFirst) {
        bruno.tell("end");
        endings.bruno = bruno.ending();
    }
    anna.tell("end");
    if (order == Order::HigherFirst)
        endings.anna = anna.ending();
    if (order != Order::LowerFirst)
        bruno.tell("end");
    if (thirdGame) {
        endings.anna << anna.line(); // the goodbye: Anna is about to wait for the records
        thirdGame.reset();
    }
    if (order != Order::HigherFirst)
        endings.anna << anna.ending();
    if (endings.bruno.isEmpty())
        endings.bruno = bruno.ending();
    return endings;
}

// The end's milliseconds, from its last line "ended <ms> status <status>"; -1 when it ended otherwise.
qint64 endMs(const QList<QByteArray>& ending) {
    const QList<QByteArray> words = ending.back().split(' ');
    return words.size() == 4 && words[3] == "0" ? words[1].toLongLong() : -1;
}

} // namespace

class TwoGamesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testing::configureTestApplication(); }

    void higherRecordAlwaysSurvives_data();
    void higherRecordAlwaysSurvives();
    void pupilsBeatEachOtherInTurn();
    void trickOfOnePupilNeverReachesOutside_data();
    void trickOfOnePupilNeverReachesOutside();
};

void TwoGamesTest::higherRecordAlwaysSurvives_data() {
    QTest::addColumn<Order>("order");
    QTest::addColumn<bool>("pupils"); // the two games run as two pupils' accounts of one class
    QTest::newRow("the higher score ends first") << Order::HigherFirst << false;
    QTest::newRow("the lower score ends first") << Order::LowerFirst << false;
    QTest::newRow("both end at once") << Order::Together << false;
    QTest::newRow("both end at once, a third game holding the records")
        << Order::TogetherAfterAThirdGame << false;
    QTest::newRow("two pupils, the lower score ends first") << Order::LowerFirst << true;
    QTest::newRow("two pupils, both end at once") << Order::Together << true;
}

// Two processes under one login run the game's own start-up and end against one records folder:
// both read " 10" at start-up, then Anna ends with 30 and Bruno with 20, in either order or at once.
// Anna's record always survives, the congratulation shows exactly to whoever stored a pair, and
// no end waits for the records as long as the lock's limit.
void TwoGamesTest::higherRecordAlwaysSurvives() {
    QFETCH(Order, order);
    QFETCH(bool, pupils);
    if (pupils && ::geteuid() != 0)
        QSKIP("Games of two accounts need root to start them");
    const RecordFolder records(pupils ? Sharing::Class : Sharing::OneLogin);
    const QString diary = pupils ? prepareDiary(records) : QString();
    Player anna(u"Anna"_s, u" 30"_s, pupils ? &kPupilA : nullptr,
                pupils ? records.accountHome(kPupilA) : QString());
    Player bruno(u"Bruno"_s, u" 20"_s, pupils ? &kPupilB : nullptr,
                 pupils ? records.accountHome(kPupilB) : QString());
    int brunoFirstCount = 0;
    qint64 longestEndMs = 0;
    for (int round = 0; round < kRounds; ++round) {
        records.write(kScoreFileName, " 10\r\n");
        records.write(kNameFileName, "Zo\xC3\xAB\r\n");
        QVERIFY(anna.startGame() && bruno.startGame());
        const Endings endings = endInOrder(anna, bruno, order, records.folder());

        QCOMPARE(records.read(kScoreFileName), QByteArray(" 30\r\n"));
        QCOMPARE(records.read(kNameFileName), QByteArray("Anna\r\n"));
        QCOMPARE(records.entries(), RecordFolder::pairAndLock());
        QCOMPARE(endings.anna, QList<QByteArray>({kGoodbye.toByteArray(), kCongratulation.toByteArray(),
                                                  endings.anna.back()}));
        // Bruno stores his 20 only when he goes first, and is then congratulated; otherwise he is
        // told whose record stands.
        const bool brunoFirst = endings.bruno.size() == 3 && endings.bruno[1] == kCongratulation;
        QCOMPARE(endings.bruno, QList<QByteArray>({kGoodbye.toByteArray(),
                                                   brunoFirst ? kCongratulation.toByteArray()
                                                              : kAnnaStoredMeanwhile.toByteArray(),
                                                   endings.bruno.back()}));
        if (order == Order::HigherFirst || order == Order::LowerFirst)
            QCOMPARE(brunoFirst, order == Order::LowerFirst);
        for (const QList<QByteArray>* ending : {&endings.anna, &endings.bruno}) {
            const qint64 ms = endMs(*ending);
            QVERIFY2(ms >= 0 && ms < kRecordLockWait.count(), ending->back().constData());
            longestEndMs = std::max(longestEndMs, ms);
        }
        brunoFirstCount += brunoFirst ? 1 : 0;
    }
    qInfo("%d rounds: Bruno stored his record first in %d; the longest end took %lld ms", kRounds,
          brunoFirstCount, qlonglong(longestEndMs));
    QVERIFY(anna.finished());
    QVERIFY(bruno.finished());
    // Each end left its one entry in its own pupil's diary, however the two ends met.
    for (const Account* pupil : {&kPupilA, &kPupilB}) {
        QFile file(diary + diaryFileName(pupil->uid, false));
        QVERIFY(!pupils || file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(std::ranges::count_if(
                     lines, [](const QByteArray& line) { return decodeDiaryLine(line).has_value(); }),
                 pupils ? kRounds : 0);
    }
}

// Two pupils, each under an account of their own with a umask that keeps files private, beat each
// other's record in turn: each record lands, and the next pupil can read it.
void TwoGamesTest::pupilsBeatEachOtherInTurn() {
    if (::geteuid() != 0)
        QSKIP("Games of two accounts need root to start them");
    const RecordFolder records(Sharing::Class);
    const QString diary = prepareDiary(records);
    records.write(kScoreFileName, " 10\r\n");
    records.write(kNameFileName, "Zo\xC3\xAB\r\n");
    for (int score = 20; score <= 50; score += 10) {
        const Account& pupil = score % 20 == 0 ? kPupilA : kPupilB;
        const mode_t umask = ::umask(077);
        Player player(pupil.name.toString(), u" %1"_s.arg(score), &pupil, records.accountHome(pupil));
        ::umask(umask);
        QVERIFY(player.startGame());
        player.tell("end");
        QCOMPARE(player.ending().value(1), kCongratulation.toByteArray());
        QVERIFY(player.finished());
        QCOMPARE(records.read(kScoreFileName), " " + QByteArray::number(score) + "\r\n");
        QCOMPARE(records.read(kNameFileName), pupil.name.toUtf8() + "\r\n");
    }
    QCOMPARE(records.entries(), RecordFolder::pairAndLock());
    // Names stay in the class: its group reads the pair and locks the lock, no other account reads.
    for (const auto& [name, mode] : {std::pair(u"aquadrix.txt"_s, 0640), std::pair(u"quadrix.txt"_s, 0640),
                                     std::pair(u"record.lock"_s, 0660)}) {
        FileStatus info{};
        QCOMPARE(::stat(QFile::encodeName(records.path(name)).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(mode));
        QCOMPARE(info.st_gid, kClassGroup);
    }
    // In the prepared diario/, Anna can neither change, remove nor replace Bruno's file.
    const QString brunos = diary + diaryFileName(kPupilB.uid, false);
    const QByteArray kept = records.read(u"diario/"_s + diaryFileName(kPupilB.uid, false));
    QCOMPARE(kept.count('\n'), 3);
    for (const QString& trick : {u"echo 0 >> %1"_s, u"rm -f %1"_s, u"mv %1 %1.mio"_s, u"ln -sf /tmp %1"_s})
        QVERIFY(runAs(kPupilA, trick.arg(brunos)) != 0);
    QCOMPARE(records.read(u"diario/"_s + diaryFileName(kPupilB.uid, false)), kept);
}

void TwoGamesTest::trickOfOnePupilNeverReachesOutside_data() {
    // What Bruno's game must tell him after the goodbye, as part of its box.
    QTest::addColumn<Trick>("trick");
    QTest::addColumn<QByteArray>("told");
    const QByteArray stored = "C A M P I O N E";
    const QByteArray unread = "Non ho potuto leggere il record all'inizio della partita";
    QTest::newRow("a link for aquadrix.txt") << Trick::LinkForScore << unread;
    QTest::newRow("a link for quadrix.txt") << Trick::LinkForName << unread;
    QTest::newRow("a link for aquadrix.txt.nuovo") << Trick::LinkForStagedScore << stored;
    QTest::newRow("a link for quadrix.txt.nuovo") << Trick::LinkForStagedName << stored;
    QTest::newRow("a link for quadrix.txt.pronto") << Trick::LinkForCommittedName << stored;
    QTest::newRow("a link for record.lock") << Trick::LinkForLock << stored;
    QTest::newRow("a link for every name") << Trick::LinksEverywhere << unread;
    QTest::newRow("aquadrix.txt made unreadable by its owner") << Trick::UnreadableScore << unread;
    QTest::newRow("a sticky folder") << Trick::StickyFolder << QByteArray("la cartella ha il bit sticky");
    QTest::newRow("the folder removed during the game")
        << Trick::FolderGone << QByteArray("la cartella non esiste più");
    QTest::newRow("a record.lock that only Anna may read") << Trick::PrivateLock << stored;
    QTest::newRow("the previous version's record.lock") << Trick::PreviousVersionLock << stored;
    QTest::newRow("a leftover aquadrix.txt.nuovo") << Trick::LeftoverStagedScore << stored;
    QTest::newRow("a folder with a file in it for aquadrix.txt.nuovo")
        << Trick::FolderForStagedScore << stored;
    QTest::newRow("a read lock on record.lock held throughout") << Trick::ReadLockHeld << unread;
    QTest::newRow("a folder of Anna's for record.lock, in a sticky folder")
        << Trick::FolderForLockInStickyFolder << unread;
}

// Anna holds the record and plays a trick on the class's folder; Bruno's game then plays and ends
// with a score that beats it. His homework, where a link points, never changes, and he is told
// what happened, or congratulated when the game could set the trick aside.
void TwoGamesTest::trickOfOnePupilNeverReachesOutside() {
    QFETCH(Trick, trick);
    QFETCH(QByteArray, told);
    if (::geteuid() != 0)
        QSKIP("Games of two accounts need root to start them");
    RecordFolder records(Sharing::Class);
    const QString brunoHome = records.accountHome(kPupilB);
    const QString homework = brunoHome + u"/compiti.txt"_s;
    const QByteArray homeworkBytes = "2 + 2 = 4\n";
    QFile file(homework);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(homeworkBytes) == homeworkBytes.size());
    file.close();
    (void)::chown(QFile::encodeName(homework).constData(), kPupilB.uid, kClassGroup);
    records.write(kScoreFileName, " 10\r\n");
    records.write(kNameFileName, "Anna\r\n");
    asAnna(records.path(kScoreFileName));
    asAnna(records.path(kNameFileName));
    QProcess readLocker;
    playTrick(trick, records, homework, readLocker);
    if (trick == Trick::ReadLockHeld) {
        while (!readLocker.canReadLine() && readLocker.waitForReadyRead(kWaitMs)) {
        }
        QCOMPARE(readLocker.readLine(), QByteArray("held\n"));
    }

    Player bruno(kPupilB.name.toString(), u" 15"_s, &kPupilB, brunoHome);
    QElapsedTimer start;
    start.start();
    QList<QByteArray> startup;
    QVERIFY(bruno.startGame(&startup));
    // What no game can lock or replace is named at once, with its owner, not waited out as a game in play.
    if (trick == Trick::FolderForLockInStickyFolder) {
        QVERIFY(start.elapsed() < kRecordLockWait.count());
        QVERIFY2(startup.join().contains("una cartella dell'account 64001"), startup.join().constData());
    }
    if (trick == Trick::FolderGone)
        QDir(records.folder()).removeRecursively();
    bruno.tell("end");
    const QList<QByteArray> ending = bruno.ending();
    QVERIFY(bruno.finished());
    QCOMPARE(ending.size(), 3);
    QVERIFY2(ending[1].contains(told), ending[1].constData());
    QCOMPARE(QFileInfo(homework).size(), homeworkBytes.size());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), homeworkBytes);
    if (trick == Trick::FolderGone)
        QVERIFY(!QFileInfo::exists(records.folder()));
    if (told.contains("C A M P I O N E")) {
        QCOMPARE(records.read(kScoreFileName), QByteArray(" 15\r\n"));
        QCOMPARE(records.entriesBesidesSetAside(), RecordFolder::pairAndLock());
    }
}

QTEST_MAIN(TwoGamesTest)
#include "tst_two_games.moc"
