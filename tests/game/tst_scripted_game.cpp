#include <algorithm>
#include <iterator>
#include <random>

#include <QtTest>

#include "game/game.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "support/doubles.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

constexpr int kSecondsPerGame = 300;

bool isRight(TargetId id) {
    return id == TargetId::paricmd || id == TargetId::paricmd1 || id == TargetId::paricmd2;
}

// One second of play as the board's signals bring it: a motion tick, now and then a click on a shown
// target, mostly a right one, and the clock's tick.
// Drawing from the engine changes it, whatever cppcheck infers.
// cppcheck-suppress constParameter
// cppcheck-suppress constParameterReference
void playOneSecond(Game& game, std::mt19937& dice) {
    game.Timer2_Timer();
    std::vector<TargetId> shown;
    std::copy_if(kAllTargets.begin(), kAllTargets.end(), std::back_inserter(shown),
                 [&game](TargetId id) { return !game.board().target(id).isHidden(); });
    const bool clicks = dice() % 2 == 0;
    const auto right = std::find_if(shown.begin(), shown.end(), isRight);
    if (clicks && right != shown.end())
        emit game.board().targetClicked(dice() % 8 == 0 ? shown[dice() % shown.size()] : *right);
    game.Timer1_Timer();
}

} // namespace

class ScriptedGameTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void wholeGameEndsByTheClockAndLeavesNothingBehind();
};

// A whole game in the process, through the board's own signals: start-up, a launch, a new game
// chosen from the menu half-way, five minutes of play with hits and misses, and the end by the clock
// with a new record. In the sanitizer build, LeakSanitizer checks at the exit that none of it leaked.
void ScriptedGameTest::wholeGameEndsByTheClockAndLeavesNothingBehind() {
    const RecordFolder records;
    {
        TestWorld world;
        world.dialogs.answerText(u"Anna"_s);
        Game game(world.services(), brivadoro::readSettings());
        game.start();
        emit game.board().boardClicked();
        std::mt19937 dice(7);
        for (int second = 0; second < kSecondsPerGame / 2; ++second)
            playOneSecond(game, dice);

        world.dialogs.answer({MessageAnswer::Yes, {}, {}});
        world.dialogs.answerText(u"Bea"_s);
        emit game.board().newGameChosen();
        QTest::qWait(1); // the event loop deletes the old board, as the game's own loop does
        QCOMPARE(game.board().lblconto().caption(), u"00:05:00");
        emit game.board().boardClicked();
        for (int second = 0; second < kSecondsPerGame; ++second)
            playOneSecond(game, dice);
        QCOMPARE(game.board().lblconto().caption(), u"00:00:00");

        const QString score = game.board().Punteggio().caption();
        QVERIFY2(score.toInt() > 0, qPrintable(score));
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, game.Timer1_Timer());
        QCOMPARE(world.program.endedWith, 0);
        QCOMPARE(records.read(kScoreFileName), (score + u"\r\n"_s).toUtf8());
        QCOMPARE(records.read(kNameFileName), QByteArray("Bea\r\n"));
    }
    // Qt keeps every window in a list of its own, out of LeakSanitizer's sight: none may be left.
    QTest::qWait(1);
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

QTEST_MAIN(ScriptedGameTest)
#include "tst_scripted_game.moc"
