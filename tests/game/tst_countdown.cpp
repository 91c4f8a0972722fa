#include <QTest>

#include "clock/clock_display.h"
#include "game/game.h"
#include "support/doubles.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

// A game whose clock start-up has just reset: Timer1 started afresh, the label at 00:05:00.
struct CountingGame {
    TestWorld world;
    Game game{world.services(), brivadoro::readSettings()};

    CountingGame() {
        game.Form_Load();
        game.board().Timer1().setEnabled(false);
        game.resetClock();
        game.board().lblconto().setCaption(u"00:05:00"_s);
        world.forget();
    }

    void tick(int count) {
        for (int i = 0; i < count; ++i)
            game.Timer1_Timer();
    }
};

} // namespace

class CountdownTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void resetClockStartsTimer1Afresh();
    void ticksCountDownTheDisplay_data();
    void ticksCountDownTheDisplay();
    void tickAfterZeroEndsTheGame();
    void secondsBorrowFromAnHour();
    void designCaptionWithDotsDoesNotEnd();
    void timer1DrivesTheTick();
};

void CountdownTest::resetClockStartsTimer1Afresh() {
    CountingGame counting;
    BoardTimer& timer = counting.game.board().Timer1();
    QVERIFY(timer.enabled());
    QCOMPARE(timer.timerType(), Qt::PreciseTimer);
    QCOMPARE(timer.interval(), 1000);
    QVERIFY(timer.remainingTime() > 900);
}

void CountdownTest::ticksCountDownTheDisplay_data() {
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QString>("display");
    QTest::newRow("tick 1") << 1 << u"00:04:59"_s;
    QTest::newRow("tick 60") << 60 << u"00:04:00"_s;
    QTest::newRow("tick 61") << 61 << u"00:03:59"_s;
    QTest::newRow("tick 240, 00:01:00") << 240 << u"00:01:00"_s;
    QTest::newRow("tick 241 follows 00:01:00") << 241 << u"00:00:59"_s;
    QTest::newRow("tick 300 shows zero without ending") << 300 << u"00:00:00"_s;
}

void CountdownTest::ticksCountDownTheDisplay() {
    QFETCH(int, ticks);
    QFETCH(QString, display);
    CountingGame counting;
    counting.tick(ticks);
    QCOMPARE(counting.game.board().lblconto().caption(), display);
    QCOMPARE(counting.game.state().secondsLeft, Int16(300 - ticks));
    QVERIFY(counting.world.dialogs.shown.empty());
}

void CountdownTest::tickAfterZeroEndsTheGame() {
    CountingGame counting;
    counting.tick(300);
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, counting.tick(1));
    QCOMPARE(counting.world.program.endedWith, 0);
    QCOMPARE(counting.world.dialogs.shown.size(), 1u);
    QCOMPARE(counting.world.dialogs.shown[0].text, u"              Ciao a presto."_s);
    QCOMPARE(counting.game.state().secondsLeft, Int16(0));
}

void CountdownTest::secondsBorrowFromAnHour() {
    CountingGame counting;
    BoardState& state = counting.game.state();
    state.clockHours = 1;
    state.clockMinutes = 0;
    state.clockSeconds = 0.0f;
    counting.tick(1);
    QCOMPARE(counting.game.board().lblconto().caption(), u"00:59:59"_s);
}

void CountdownTest::designCaptionWithDotsDoesNotEnd() {
    CountingGame counting;
    counting.game.board().lblconto().setCaption(u"00.00.00"_s);
    counting.tick(1);
    QCOMPARE(counting.game.board().lblconto().caption(), u"00:04:59"_s);
    QVERIFY(counting.world.dialogs.shown.empty());
}

void CountdownTest::timer1DrivesTheTick() {
    CountingGame counting;
    BoardTimer& timer = counting.game.board().Timer1();
    timer.setInterval(1);
    QTRY_VERIFY(counting.game.state().secondsLeft < Int16(300));
    timer.setEnabled(false);
    QVERIFY(counting.game.board().lblconto().caption() != u"00:05:00"_s);
}

QTEST_MAIN(CountdownTest)
#include "tst_countdown.moc"
