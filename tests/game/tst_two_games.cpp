#include <algorithm>
#include <optional>

#include <QProcess>
#include <QTest>

#include "records/record_files.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::testing::RecordFolder;

namespace {

constexpr int kRounds = 20;
constexpr int kWaitMs = 20'000;
constexpr QByteArrayView kGoodbye = "box               Ciao a presto.";
constexpr QByteArrayView kCongratulation = "box Ok ho registrato il tuo record, C A M P I O N E\"";
constexpr QByteArrayView kAnnaStoredMeanwhile =
    "box Hai superato il record di inizio partita, ma nel frattempo Anna ha registrato un nuovo record, "
    "con un punteggio di 30: il record resta suo.";

// Who is told to end first; a third game may hold the records until the higher score's goodbye.
enum class Order { HigherFirst, LowerFirst, Together, TogetherAfterAThirdGame };

// One end_of_game_helper: a player who plays game after game, each started and ended on request.
class Player {
public:
    Player(const QString& name, const QString& score) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        process_.setProcessEnvironment(environment);
        process_.start(QCoreApplication::applicationDirPath() + u"/end_of_game_helper"_s, {name, score});
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;
    ~Player() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(kWaitMs))
            process_.kill();
    }

    // Starts a game, whose start-up reads the record; false when the player never gets ready.
    bool startGame() {
        tell("start");
        QByteArray answer;
        do
            answer = line();
        while (!answer.isEmpty() && answer != "ready");
        return answer == "ready";
    }

    void tell(QByteArrayView line) {
        process_.write(line.toByteArray() + '\n');
        process_.waitForBytesWritten(kWaitMs);
    }

    // The next line the player prints; empty when none comes.
    QByteArray line() {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(kWaitMs))
                return {};
        }
        return process_.readLine().chopped(1);
    }

    // The boxes of the end, up to the line that says how long the end took; that line is last.
    QList<QByteArray> ending() {
        QList<QByteArray> lines;
        do
            lines << line();
        while (!lines.back().isEmpty() && !lines.back().startsWith("ended "));
        return lines;
    }

    [[nodiscard]] bool finished() {
        process_.closeWriteChannel();
        return process_.waitForFinished(kWaitMs) && process_.exitStatus() == QProcess::NormalExit &&
               process_.exitCode() == 0;
    }

private:
    QProcess process_;
};

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
};

void TwoGamesTest::higherRecordAlwaysSurvives_data() {
    QTest::addColumn<Order>("order");
    QTest::newRow("the higher score ends first") << Order::HigherFirst;
    QTest::newRow("the lower score ends first") << Order::LowerFirst;
    QTest::newRow("both end at once") << Order::Together;
    QTest::newRow("both end at once, a third game holding the records") << Order::TogetherAfterAThirdGame;
}

// Two processes under one login run the game's own start-up and end against one records folder:
// both read " 10" at start-up, then Anna ends with 30 and Bruno with 20, in either order or at once.
// Anna's record always survives, the congratulation shows exactly to whoever stored a pair, and
// no end waits for the records as long as the lock's limit.
void TwoGamesTest::higherRecordAlwaysSurvives() {
    QFETCH(Order, order);
    const RecordFolder records;
    Player anna(u"Anna"_s, u" 30"_s);
    Player bruno(u"Bruno"_s, u" 20"_s);
    int brunoFirstCount = 0;
    qint64 longestEndMs = 0;
    for (int round = 0; round < kRounds; ++round) {
        records.write(kScoreFileName, " 10\r\n");
        records.write(kNameFileName, "Zo\xC3\xAB\r\n");
        QVERIFY(anna.startGame() && bruno.startGame());
        const Endings endings = endInOrder(anna, bruno, order, records.folder());

        QCOMPARE(records.read(kScoreFileName), QByteArray(" 30\r\n"));
        QCOMPARE(records.read(kNameFileName), QByteArray("Anna\r\n"));
        QCOMPARE(records.entries(), QStringList({kScoreFileName.toString(), kNameFileName.toString()}));
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
}

QTEST_MAIN(TwoGamesTest)
#include "tst_two_games.moc"
