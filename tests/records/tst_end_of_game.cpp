#include <QTest>

#include "board/game.h"
#include "clock/clock_display.h"
#include "records/record_files.h"
#include "support/doubles.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

constexpr QStringView kGoodbye = u"              Ciao a presto.";
// 48 characters, the last one a double quote.
constexpr QStringView kCongratulation = u"Ok ho registrato il tuo record, C A M P I O N E\"";
static_assert(kCongratulation.size() == 48);
constexpr QByteArrayView kOldName = "Bea\r\n";

// A game at its end: the record folder opened as start-up opens it, and the labels as play left them.
struct EndingGame {
    RecordFolder records;
    TestWorld world;
    Game game{world.services()};

    EndingGame(const QByteArray& storedScore, const QString& score, const QString& name) {
        records.write(kScoreFileName, storedScore);
        records.write(kNameFileName, kOldName.toByteArray());
        const RecordsAtStartup shown = openRecordFiles(game.state());
        game.board().lblpunti().setCaption(shown.score);
        game.board().lblnome().setCaption(shown.name);
        game.board().Punteggio().setCaption(score);
        game.board().lblnome1().setCaption(name);
        world.forget();
    }

    [[nodiscard]] QStringList boxTexts() const {
        QStringList texts;
        for (const ShownBox& box : world.dialogs.shown)
            texts << box.text;
        return texts;
    }
};

} // namespace

class EndOfGameTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void storesABeatenRecordAndCongratulatesExactlyThen_data();
    void storesABeatenRecordAndCongratulatesExactlyThen();
    void failedWriteShowsOneMessageAndStillEndsNormally();
    void tickWhileTheGoodbyeIsOpenIsIgnored();
    void endInsideAMissWarningResumesNothing();
    void exitButtonReachesTheEndThroughTheBoard();
    void recordLabelsShowRichTextAsTyped_data();
    void recordLabelsShowRichTextAsTyped();
};

void EndOfGameTest::storesABeatenRecordAndCongratulatesExactlyThen_data() {
    QTest::addColumn<QByteArray>("storedScore");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("stored");
    QTest::newRow("first run, score 0") << QByteArray() << u"0"_qs << u"Anna"_qs << false;
    QTest::newRow("first run, negative score") << QByteArray() << u"-4"_qs << u"Anna"_qs << false;
    QTest::newRow("first run, score 1") << QByteArray() << u" 1"_qs << u"Anna"_qs << true;
    QTest::newRow("equal") << QByteArray(" 12\r\n") << u" 12"_qs << u"Anna"_qs << false;
    QTest::newRow("lower") << QByteArray(" 12\r\n") << u" 3"_qs << u"Anna"_qs << false;
    QTest::newRow("higher") << QByteArray(" 12\r\n") << u" 15"_qs << u"Anna"_qs << true;
    QTest::newRow("9 beaten by 10") << QByteArray(" 9\r\n") << u" 10"_qs << u"Anna"_qs << true;
    QTest::newRow("12 beaten by 120") << QByteArray(" 12\r\n") << u" 120"_qs << u"Anna"_qs << true;
    QTest::newRow("record stored after a miss") << QByteArray("12\r\n") << u" 15"_qs << u"Anna"_qs << true;
    QTest::newRow("game ended on a miss") << QByteArray(" 12\r\n") << u"15"_qs << u"Anna"_qs << true;
    QTest::newRow("empty name") << QByteArray(" 12\r\n") << u" 15"_qs << u""_qs << true;
    QTest::newRow("name beyond an 8-bit code page") << QByteArray(" 1\r\n") << u" 2"_qs << u"Zoë"_qs << true;
    QTest::newRow("score that is no number") << QByteArray() << u"abc"_qs << u"Anna"_qs << false;
    QTest::newRow("garbage record") << QByteArray("\xFF\xFEzz") << u" 2"_qs << u"Anna"_qs << true;
}

void EndOfGameTest::storesABeatenRecordAndCongratulatesExactlyThen() {
    QFETCH(QByteArray, storedScore);
    QFETCH(QString, score);
    QFETCH(QString, name);
    QFETCH(bool, stored);
    EndingGame ending(storedScore, score, name);

    QVERIFY_THROWS_EXCEPTION(ProgramEnded, ending.game.cmdExit_Click());
    QCOMPARE(ending.world.program.endedWith, 0);
    QCOMPARE(ending.boxTexts(), stored ? QStringList({kGoodbye.toString(), kCongratulation.toString()})
                                       : QStringList({kGoodbye.toString()}));
    for (const ShownBox& box : ending.world.dialogs.shown) {
        QCOMPARE(box.style, MessageStyle::Ok);
        QCOMPARE(box.title, u"Brivadoro"_qs);
    }
    QCOMPARE(ending.records.read(kScoreFileName), stored ? (score + u"\r\n"_qs).toUtf8() : storedScore);
    QCOMPARE(ending.records.read(kNameFileName),
             stored ? (name + u"\r\n"_qs).toUtf8() : kOldName.toByteArray());
}

void EndOfGameTest::failedWriteShowsOneMessageAndStillEndsNormally() {
    EndingGame ending(" 12\r\n", u" 15"_qs, u"Anna"_qs);
    QFile::remove(ending.records.path(kNameFileName));
    QDir().mkpath(ending.records.path(kNameFileName));

    QVERIFY_THROWS_EXCEPTION(ProgramEnded, ending.game.cmdExit_Click());
    QCOMPARE(ending.world.program.endedWith, 0);
    const std::vector<ShownBox>& shown = ending.world.dialogs.shown;
    QCOMPARE(shown.size(), 2u);
    QCOMPARE(shown[0].text, kGoodbye.toString());
    QVERIFY2(shown[1].text.contains(ending.records.path(kNameFileName)), qPrintable(shown[1].text));
    QCOMPARE(shown[1].style, MessageStyle::IconExclamation);
    QCOMPARE(ending.records.read(kScoreFileName), QByteArray(" 12\r\n"));
}

void EndOfGameTest::tickWhileTheGoodbyeIsOpenIsIgnored() {
    EndingGame ending(" 12\r\n", u" 15"_qs, u"Anna"_qs);
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
    EndingGame ending(" 12\r\n", u"8"_qs, u"Anna"_qs);
    Game& game = ending.game;
    game.board().lblconto().setCaption(kClockAtZero.toString());
    bool resumed = false;
    // A miss handler: its warning is open when the clock's last tick ends the game.
    const auto missHandler = [&] {
        ending.world.dialogs.messageBox(u"Hai sbagliato"_qs, MessageStyle::Ok, {});
        resumed = true;
    };
    ending.world.dialogs.answer({MessageAnswer::Ok, {}, [&] { game.Timer1_Timer(); }});

    QVERIFY_THROWS_EXCEPTION(ProgramEnded, missHandler());
    QVERIFY(!resumed);
    QCOMPARE(ending.boxTexts(), QStringList({u"Hai sbagliato"_qs, kGoodbye.toString()}));
}

void EndOfGameTest::exitButtonReachesTheEndThroughTheBoard() {
    TestWorld world;
    world.program.throws = false; // the end returns, as the board's own connections need
    Game game(world.services());
    game.board();
    world.forget();
    game.board().cmdExit().click();
    QCOMPARE(world.program.endedWith, 0);
    QCOMPARE(world.dialogs.shown.size(), 1u);
    QCOMPARE(world.dialogs.shown[0].text, kGoodbye.toString());
}

void EndOfGameTest::recordLabelsShowRichTextAsTyped_data() {
    QTest::addColumn<QString>("label");
    QTest::newRow("record holder") << u"lblnome"_qs;
    QTest::newRow("record score") << u"lblpunti"_qs;
    QTest::newRow("player") << u"lblnome1"_qs;
}

void EndOfGameTest::recordLabelsShowRichTextAsTyped() {
    QFETCH(QString, label);
    TestWorld world;
    Game game(world.services());
    BoardLabel& shown = game.board().label(label);
    shown.setCaption(u"<b>Anna</b><img src=x>"_qs);
    QCOMPARE(shown.textFormat(), Qt::PlainText);
}

QTEST_MAIN(EndOfGameTest)
#include "tst_end_of_game.moc"
