#include <QTest>

#include "clock/clock_display.h"
#include "diary/diary_folder.h"
#include "diary/diary_line.h"
#include "ending_game.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

constexpr QStringView kRecordUnreadAtStart =
    u"Non ho potuto leggere il record all'inizio della partita, "
    u"perciò non registro il tuo punteggio: il record resta com'era.";

} // namespace

class EndOfGameTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void storesABeatenRecordAndCongratulatesExactlyThen_data();
    void storesABeatenRecordAndCongratulatesExactlyThen();
    void recordStoredMeanwhileIsReplacedOnlyWhenBeaten_data();
    void recordStoredMeanwhileIsReplacedOnlyWhenBeaten();
    void recordUnreadAtTheLatestStartUpIsNeverReplaced_data();
    void recordUnreadAtTheLatestStartUpIsNeverReplaced();
    void tickWhileTheGoodbyeIsOpenIsIgnored();
    void endInsideAMissWarningResumesNothing();
    void exitButtonReachesTheEndThroughTheBoard();
};

void EndOfGameTest::storesABeatenRecordAndCongratulatesExactlyThen_data() {
    QTest::addColumn<QByteArray>("storedScore");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<bool>("diaryBroken"); // a file where the diary's folder should be
    QTest::newRow("first run, score 0") << QByteArray() << u"0"_s << u"Anna"_s << false << false;
    QTest::newRow("first run, negative score") << QByteArray() << u"-4"_s << u"Anna"_s << false << false;
    QTest::newRow("first run, score 1") << QByteArray() << u" 1"_s << u"Anna"_s << true << false;
    QTest::newRow("equal") << QByteArray(" 12\r\n") << u" 12"_s << u"Anna"_s << false << false;
    QTest::newRow("lower") << QByteArray(" 12\r\n") << u" 3"_s << u"Anna"_s << false << false;
    QTest::newRow("higher") << QByteArray(" 12\r\n") << u" 15"_s << u"Anna"_s << true << false;
    QTest::newRow("9 beaten by 10") << QByteArray(" 9\r\n") << u" 10"_s << u"Anna"_s << true << false;
    QTest::newRow("12 beaten by 120") << QByteArray(" 12\r\n") << u" 120"_s << u"Anna"_s << true << false;
    QTest::newRow("record stored after a miss")
        << QByteArray("12\r\n") << u" 15"_s << u"Anna"_s << true << false;
    QTest::newRow("game ended on a miss") << QByteArray(" 12\r\n") << u"15"_s << u"Anna"_s << true << false;
    QTest::newRow("empty name") << QByteArray(" 12\r\n") << u" 15"_s << u""_s << true << false;
    QTest::newRow("name beyond an 8-bit code page")
        << QByteArray(" 1\r\n") << u" 2"_s << u"Zoë"_s << true << false;
    QTest::newRow("score that is no number") << QByteArray() << u"abc"_s << u"Anna"_s << false << false;
    QTest::newRow("higher, no diary can be kept")
        << QByteArray(" 12\r\n") << u" 15"_s << u"Anna"_s << true << true;
    QTest::newRow("lower, no diary can be kept")
        << QByteArray(" 12\r\n") << u" 3"_s << u"Anna"_s << false << true;
    QTest::newRow("garbage record") << QByteArray("\xFF\xFEzz") << u" 2"_s << u"Anna"_s << true << false;
}

void EndOfGameTest::storesABeatenRecordAndCongratulatesExactlyThen() {
    QFETCH(QByteArray, storedScore);
    QFETCH(QString, score);
    QFETCH(QString, name);
    QFETCH(bool, stored);
    QFETCH(bool, diaryBroken);
    EndingGame ending(storedScore, score, name);
    if (diaryBroken)
        ending.records.write(u"diario", "no");

    QVERIFY_THROWS_EXCEPTION(ProgramEnded, ending.game.cmdExit_Click());
    QCOMPARE(ending.world.program.endedWith, 0);
    QCOMPARE(ending.boxTexts(), stored ? QStringList({kGoodbye.toString(), kCongratulation.toString()})
                                       : QStringList({kGoodbye.toString()}));
    for (const ShownBox& box : ending.world.dialogs.shown) {
        QCOMPARE(box.style, MessageStyle::Ok);
        QCOMPARE(box.title, u"Brivadoro"_s);
    }
    QCOMPARE(ending.records.read(kScoreFileName), stored ? (score + u"\r\n"_s).toUtf8() : storedScore);
    QCOMPARE(ending.records.read(kNameFileName),
             stored ? (name + u"\r\n"_s).toUtf8() : kOldName.toByteArray());
    // Every end adds its one entry to the diary, whatever became of the record.
    const QByteArray diary = ending.records.read(u"diario/"_s + diaryFileName(::geteuid(), false));
    const QList<QByteArray> lines = diary.split('\n');
    QCOMPARE(lines.size(), diaryBroken ? 1 : 3);
    if (!diaryBroken) {
        const std::optional<DiaryEntry> entry = decodeDiaryLine(lines[1]);
        QVERIFY(entry && entry->name == name && entry->end == GameEnd::Exit);
    }
}

void EndOfGameTest::recordStoredMeanwhileIsReplacedOnlyWhenBeaten_data() {
    // The game read " 12" Bea at start-up and ends with " 15" Anna; meanwhile another game stored a
    // pair of its own.
    QTest::addColumn<QByteArray>("meanwhileScore");
    QTest::addColumn<QByteArray>("meanwhileName");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("told");
    QTest::newRow("lower record") << QByteArray(" 13\r\n") << QByteArray("Carla\r\n") << true
                                  << kCongratulation.toString();
    QTest::newRow("equal record")
        << QByteArray(" 15\r\n") << QByteArray("Carla\r\n") << false
        << u"Hai superato il record di inizio partita, ma nel frattempo Carla ha "
           u"registrato un nuovo record, con un punteggio di 15: il record resta suo."_s;
    QTest::newRow("higher record")
        << QByteArray("120\r\n") << QByteArray(" Carla 2\r\n") << false
        << u"Hai superato il record di inizio partita, ma nel frattempo  Carla 2 ha "
           u"registrato un nuovo record, con un punteggio di 120: il record resta suo."_s;
    QTest::newRow("higher record, no name")
        << QByteArray(" 20\r\n") << QByteArray("\r\n") << false
        << u"Hai superato il record di inizio partita, ma nel frattempo un "
           u"giocatore senza nome ha registrato un nuovo record, con un "
           u"punteggio di 20: il record resta suo."_s;
}

// Two games under one login: the one that ends later stores its score only when it beats the record
// stored now too, and the congratulation shows exactly when it does.
void EndOfGameTest::recordStoredMeanwhileIsReplacedOnlyWhenBeaten() {
    QFETCH(QByteArray, meanwhileScore);
    QFETCH(QByteArray, meanwhileName);
    QFETCH(bool, stored);
    QFETCH(QString, told);
    EndingGame ending(" 12\r\n", u" 15"_s, u"Anna"_s);
    ending.records.write(kScoreFileName, meanwhileScore);
    ending.records.write(kNameFileName, meanwhileName);

    QVERIFY_THROWS_EXCEPTION(ProgramEnded, ending.game.cmdExit_Click());
    QCOMPARE(ending.world.program.endedWith, 0);
    QCOMPARE(ending.boxTexts(), QStringList({kGoodbye.toString(), told}));
    QCOMPARE(ending.records.read(kScoreFileName), stored ? QByteArray(" 15\r\n") : meanwhileScore);
    QCOMPARE(ending.records.read(kNameFileName), stored ? QByteArray("Anna\r\n") : meanwhileName);
}

void EndOfGameTest::recordUnreadAtTheLatestStartUpIsNeverReplaced_data() {
    // Whether each start-up finds the record readable: the first at the program's start, the others
    // at a new game chosen from the menu.
    QTest::addColumn<QList<bool>>("readable");
    QTest::newRow("unreadable at start-up") << QList<bool>{false};
    QTest::newRow("unreadable, then read by a new game") << QList<bool>{false, true};
    QTest::newRow("read, then unreadable in a new game") << QList<bool>{true, false};
}

// A game that did not read the pair does not know the record, so it never replaces it, even when
// the files could be written by then.
void EndOfGameTest::recordUnreadAtTheLatestStartUpIsNeverReplaced() {
    QFETCH(QList<bool>, readable);
    const RecordFolder records;
    records.write(kScoreFileName, " 50\r\n");
    const auto placeName = [&](bool asAFile) {
        QFile::remove(records.path(kNameFileName));
        QDir(records.path(kNameFileName)).removeRecursively();
        if (asAFile)
            records.write(kNameFileName, kOldName.toByteArray());
        else
            QDir().mkpath(records.path(kNameFileName));
    };
    TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    for (qsizetype start = 0; start < readable.size(); ++start) {
        placeName(readable[start]);
        if (start > 0)
            world.dialogs.answer({MessageAnswer::Yes, {}, {}});
        world.dialogs.answerText(u"Anna"_s);
        start == 0 ? game.start() : game.Next_Click();
    }
    placeName(true);
    game.board().Punteggio().setCaption(u" 60"_s);
    world.forget();

    QVERIFY_THROWS_EXCEPTION(ProgramEnded, game.cmdExit_Click());
    QCOMPARE(world.program.endedWith, 0);
    const bool stored = readable.back();
    QCOMPARE(world.dialogs.shown.size(), 2u);
    QCOMPARE(world.dialogs.shown[1].text,
             stored ? kCongratulation.toString() : kRecordUnreadAtStart.toString());
    QCOMPARE(records.read(kScoreFileName), stored ? QByteArray(" 60\r\n") : QByteArray(" 50\r\n"));
    QCOMPARE(records.read(kNameFileName), stored ? QByteArray("Anna\r\n") : kOldName.toByteArray());
}

void EndOfGameTest::tickWhileTheGoodbyeIsOpenIsIgnored() {
    EndingGame ending(" 12\r\n", u" 15"_s, u"Anna"_s);
    Game& game = ending.game;
    game.board().lblconto().setCaption(kClockAtZero.toString());
    const Int16 secondsLeft = game.state().secondsLeft;
    ending.world.dialogs.answer({MessageAnswer::Ok, {}, [&] {
                                     game.Timer1_Timer();
                                     game.cmdExit_Click();
                                 }});

    QVERIFY_THROWS_EXCEPTION(ProgramEnded, game.cmdExit_Click());
    QCOMPARE(ending.boxTexts(), QStringList({kGoodbye.toString(), kCongratulation.toString()}));
    QCOMPARE(game.board().lblconto().caption(), kClockAtZero.toString());
    QCOMPARE(game.state().secondsLeft, secondsLeft);
    QCOMPARE(ending.records.read(kScoreFileName), QByteArray(" 15\r\n"));
}

void EndOfGameTest::endInsideAMissWarningResumesNothing() {
    EndingGame ending(" 12\r\n", u"8"_s, u"Anna"_s);
    Game& game = ending.game;
    game.board().lblconto().setCaption(kClockAtZero.toString());
    bool resumed = false;
    // A miss handler: its warning is open when the clock's last tick ends the game.
    const auto missHandler = [&] {
        ending.world.dialogs.messageBox(u"Hai sbagliato"_s, MessageStyle::Ok, {});
        resumed = true;
    };
    ending.world.dialogs.answer({MessageAnswer::Ok, {}, [&] { game.Timer1_Timer(); }});

    QVERIFY_THROWS_EXCEPTION(ProgramEnded, missHandler());
    QVERIFY(!resumed);
    QCOMPARE(ending.boxTexts(), QStringList({u"Hai sbagliato"_s, kGoodbye.toString()}));
}

void EndOfGameTest::exitButtonReachesTheEndThroughTheBoard() {
    TestWorld world;
    world.program.throws = false; // the end returns, as the board's own connections need
    Game game(world.services(), brivadoro::readSettings());
    game.Form_Load();
    world.forget();
    game.board().cmdExit().click();
    QCOMPARE(world.program.endedWith, 0);
    QCOMPARE(world.dialogs.shown.size(), 1u);
    QCOMPARE(world.dialogs.shown[0].text, kGoodbye.toString());
}

QTEST_MAIN(EndOfGameTest)
#include "tst_end_of_game.moc"
