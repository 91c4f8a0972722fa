#include <algorithm>

#include <QTest>

#include "support/target_world.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;
using Kind = ScriptedRandom::Event::Kind;

namespace {

QColor backdropAt(TargetWorld& t, int x, int y) {
    return t.board().surface().backdrop().pixelColor(x, y);
}

long countOf(const TargetWorld& t, Kind kind) {
    return std::count_if(t.world.random.events.begin(), t.world.random.events.end(),
                         [kind](const ScriptedRandom::Event& event) { return event.kind == kind; });
}

// Draws of a launch: a first digit of 0 drawn again as 3, a second digit 7, then move 2 and its
// five draws.
void scriptLaunch(TargetWorld& t) {
    t.world.random.script({0.0F, 0.35F, 0.72F, 0.25F, 0.5F, 0.5F, 0.5F, 0.5F, 0.5F});
}

} // namespace

class LaunchTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void launchRunsItsStepsInOrder();
    void laterLaunchesAddMovesWithoutRestartingTheTimer();
};

void LaunchTest::launchRunsItsStepsInOrder() {
    TargetWorld t;
    t.board().drawBackdrop(1, 0);
    t.board().lblMessage().setCaption(u"x"_s);
    t.board().target(TargetId::paricmd2).setBackColor(Colours::Red);
    const Int16 digit1 = t.state().digit1;
    const Int16 digit2 = t.state().digit2;
    scriptLaunch(t);
    bool soundChecked = false;
    t.sound.onPlay = [&](SoundEffect) {
        QCOMPARE(t.board().lblMessage().caption(), QString());
        QCOMPARE(t.board().lblNum1().caption(), u"3"_s);
        QCOMPARE(t.board().lblNum2().caption(), u"7"_s);
        QCOMPARE(backdropAt(t, 0, 0), QColor(20, 0, 0));
        QVERIFY(!t.board().Timer2().isActive());
        QCOMPARE(t.world.random.events.size(), 4U);
        soundChecked = true;
    };

    t.game.Form_Click();

    QVERIFY(soundChecked);
    QCOMPARE(t.sound.played, std::vector{SoundEffect::Laser});
    QCOMPARE(backdropAt(t, 0, 0), QColor(60, 140, 0));
    QCOMPARE(backdropAt(t, 0, BoardScale::kInnerHeight - 1), QColor(60, 140, 255));
    QVERIFY(t.board().Timer2().isActive());
    QCOMPARE(t.world.random.events[0].kind, Kind::ReseedFromClock);
    QCOMPARE(t.world.random.events[4].kind, Kind::ReseedFromClock);
    QCOMPARE(t.world.random.events.size(), 4U + 8U);
    QVERIFY(t.shown(TargetId::paricmd));
    QVERIFY(t.shown(TargetId::paricmd1));
    QCOMPARE(t.state().digit1, digit1);
    QCOMPARE(t.state().digit2, digit2);
    QCOMPARE(t.board().target(TargetId::paricmd2).backColor(), Colours::Red);
}

void LaunchTest::laterLaunchesAddMovesWithoutRestartingTheTimer() {
    TargetWorld t;
    scriptLaunch(t);
    t.game.Form_Click();
    BoardTimer& timer = t.board().Timer2();
    const int timerId = timer.timerId();
    // A coarse timer may fire up to 5% of its interval away from it: wait long enough to tell a
    // running count from a restarted one.
    constexpr int kWaitMs = 200;
    QTest::qWait(kWaitMs);

    scriptLaunch(t);
    t.game.Form_Click();

    QCOMPARE(timer.timerId(), timerId);
    QVERIFY(timer.remainingTime() < timer.interval() - timer.interval() / 20);
    QCOMPARE(countOf(t, Kind::ReseedFromClock), 4);
    QCOMPARE(t.sound.played, (std::vector{SoundEffect::Laser, SoundEffect::Laser}));
}

QTEST_MAIN(LaunchTest)
#include "tst_launch.moc"
