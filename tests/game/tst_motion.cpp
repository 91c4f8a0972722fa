#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include <QSignalSpy>
#include <QTest>

#include "support/target_world.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;
using Kind = ScriptedRandom::Event::Kind;

namespace {

// The moves as the game's rules state them: each move's draws in order ("target:L450" for Left =
// R(450), "+1" adds one, "target:N" for a new number) and the visibility after it, for paricmd,
// paricmd1, paricmd2, disparicmd, disparicmd1, disparicmd2 (S shown, H hidden, U unchanged).
struct MoveRule {
    const char* draws;
    const char* visibility;
};
constexpr std::array<MoveRule, 6> kMoveRules{{
    {"disparicmd:L450 disparicmd:T1100 paricmd1:L300 paricmd:T600", "SHSUHH"},
    {"paricmd:L800 paricmd:T800 paricmd1:L300 paricmd1:T300 disparicmd1:N", "SSUUSS"},
    {"paricmd2:T150 paricmd1:T300 disparicmd1:T300 disparicmd2:T150 disparicmd2:L50 disparicmd:N", "HHUHSS"},
    {"disparicmd:L300+1 disparicmd:T1000+1 paricmd1:T500 paricmd1:L300", "USSSSH"},
    {"paricmd2:T200 paricmd1:T300 disparicmd1:T900 disparicmd2:T500 disparicmd:T300", "HHUHSH"},
    {"paricmd:T200 paricmd2:T30 disparicmd:T900 disparicmd1:T70 disparicmd2:T250 disparicmd1:L300 "
     "disparicmd2:N",
     "UHUUHS"},
}};

// The numbers a move can give a wrong target, first, first + 4, ... last, each as likely; and the
// number the target holds before a tick, from which its new one is seeded.
struct Renumbering {
    TargetId target;
    int first;
    int last;
    int numberBefore;

    [[nodiscard]] int count() const { return (last - first) / 4 + 1; }
    [[nodiscard]] bool allows(int number) const {
        return number >= first && number <= last && (number - first) % 4 == 0;
    }
};
constexpr std::array kRenumberings{
    Renumbering{TargetId::disparicmd, 5, 3601, 13},
    Renumbering{TargetId::disparicmd1, 5, 801, 21},
    Renumbering{TargetId::disparicmd2, 6, 322, 38},
};
const Renumbering& renumberingOf(TargetId id) {
    return *std::find_if(kRenumberings.begin(), kRenumberings.end(),
                         [id](const Renumbering& r) { return r.target == id; });
}

enum class Draws { Spread, Zero, Top };

constexpr float kSentinelLeft = 7;
constexpr float kSentinelTop = 11;

float stepDraw(Draws draws, int step) {
    switch (draws) {
    case Draws::Spread:
        return 0.05F + 0.09F * float(step);
    case Draws::Zero:
        return 0;
    case Draws::Top:
        break;
    }
    return kTopDraw;
}

// The lowest or highest draw that picks the move, or one in the middle of its sixth.
float moveDraw(Draws draws, int move) {
    if (draws == Draws::Spread)
        return float((move - 0.5) / 6);
    auto r = float((draws == Draws::Zero ? move - 1 : move) / 6.0);
    if (draws == Draws::Zero) {
        while (std::floor(6.0 * r) < move - 1)
            r = std::nextafter(r, 1.0F);
    } else {
        while (std::floor(6.0 * r) >= move)
            r = std::nextafter(r, 0.0F);
    }
    return r;
}

void prepareBoard(TargetWorld& t, bool shownBefore) {
    for (TargetId id : kAllTargets) {
        t.board().setTargetLeft(id, kSentinelLeft);
        t.board().setTargetTop(id, kSentinelTop);
        t.board().target(id).setCaption(u"X"_s);
        t.board().target(id).setVisible(shownBefore);
    }
    t.state().disparicmdNumber = renumberingOf(TargetId::disparicmd).numberBefore;
    t.state().disparicmd1Number = renumberingOf(TargetId::disparicmd1).numberBefore;
    t.state().disparicmd2Number = renumberingOf(TargetId::disparicmd2).numberBefore;
}

// What a tick must leave: the random source's events, every target's place and caption.
struct Expectation {
    std::vector<ScriptedRandom::Event> events;
    std::array<QPointF, kAllTargets.size()> places;
    std::array<QString, kAllTargets.size()> captions;
};

Expectation expectationOf(const MoveRule& rule, int move, Draws draws) {
    Expectation expected;
    expected.places.fill(QPointF(kSentinelLeft, kSentinelTop));
    expected.captions.fill(u"X"_s);
    expected.events = {{Kind::ReseedFromClock, 0}, {Kind::Draw, moveDraw(draws, move)}};
    const QStringList steps = QString::fromLatin1(rule.draws).split(u' ');
    for (int i = 0; i < steps.size(); ++i) {
        const QStringList parts = steps[i].split(u':');
        const auto target = std::size_t(targetNamed(parts[0]));
        const QChar what = parts[1][0];
        const QStringList rangeAndOffset = parts[1].mid(1).split(u'+');
        const float r = stepDraw(draws, i);
        if (what == u'N') {
            const Renumbering& renumbering = renumberingOf(kAllTargets[target]);
            expected.events.push_back({Kind::Reseed, double(renumbering.numberBefore)});
            const int index = int(std::floor(renumbering.count() * double(r)));
            expected.captions[target] = QString::number(renumbering.first + 4 * index);
        } else {
            const int range = rangeAndOffset[0].toInt();
            const int offset = rangeAndOffset.size() > 1 ? rangeAndOffset[1].toInt() : 0;
            const int drawn = draws == Draws::Zero  ? 0
                              : draws == Draws::Top ? range - 1
                                                    : int(std::floor(range * double(r)));
            QPointF& place = expected.places[target];
            (what == u'L' ? place.rx() : place.ry()) = drawn + offset;
        }
        expected.events.push_back({Kind::Draw, r});
    }
    return expected;
}

} // namespace

class MotionTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void eachMoveFollowsItsTable_data();
    void eachMoveFollowsItsTable();
    void ticksKeepToTheRules();
    void timerTickRunsTheMotion();
};

void MotionTest::eachMoveFollowsItsTable_data() {
    QTest::addColumn<int>("move");
    QTest::addColumn<Draws>("draws");
    QTest::addColumn<bool>("shownBefore");
    for (int move = 1; move <= 6; ++move) {
        QTest::addRow("move %d, spread draws", move) << move << Draws::Spread << false;
        QTest::addRow("move %d, draws of 0", move) << move << Draws::Zero << true;
        QTest::addRow("move %d, largest draws", move) << move << Draws::Top << false;
    }
}

void MotionTest::eachMoveFollowsItsTable() {
    QFETCH(int, move);
    QFETCH(Draws, draws);
    QFETCH(bool, shownBefore);
    TargetWorld t;
    prepareBoard(t, shownBefore);
    const MoveRule& rule = kMoveRules[move - 1];
    const Expectation expected = expectationOf(rule, move, draws);
    for (const ScriptedRandom::Event& event : expected.events) {
        if (event.kind == Kind::Draw)
            t.world.random.script({float(event.value)});
    }

    t.game.Timer2_Timer();

    QCOMPARE(t.world.random.events.size(), expected.events.size());
    for (std::size_t i = 0; i < expected.events.size(); ++i) {
        QCOMPARE(t.world.random.events[i].kind, expected.events[i].kind);
        QCOMPARE(t.world.random.events[i].value, expected.events[i].value);
    }
    for (std::size_t i = 0; i < kAllTargets.size(); ++i) {
        const TargetId id = kAllTargets[i];
        QCOMPARE(t.board().targetLeft(id), float(expected.places[i].x()));
        QCOMPARE(t.board().targetTop(id), float(expected.places[i].y()));
        QCOMPARE(t.caption(id), expected.captions[i]);
        const char visibility = rule.visibility[i];
        QCOMPARE(t.shown(id), visibility == 'U' ? shownBefore : visibility == 'S');
    }
}

// Over many ticks, whatever the draws: a wrong target gets only numbers its renumbering allows,
// one or two above a multiple of 4, each seeded from the one it got before; no tick gives two new
// numbers, moves paricmd2 sideways or disparicmd2 beyond 49, places a target past 1099, or leaves
// every target hidden.
void MotionTest::ticksKeepToTheRules() {
    TargetWorld t;
    prepareBoard(t, false);
    std::array<int, kAllTargets.size()> seeds{};
    for (const Renumbering& renumbering : kRenumberings)
        seeds[std::size_t(renumbering.target)] = renumbering.numberBefore;
    constexpr int kTicks = 3000;
    for (int tick = 0; tick < kTicks; ++tick) {
        const float disparicmd2Left = t.board().targetLeft(TargetId::disparicmd2);
        for (const Renumbering& renumbering : kRenumberings)
            t.board().target(renumbering.target).setCaption(u"X"_s);
        t.world.random.events.clear();

        t.game.Timer2_Timer();

        std::vector<double> expectedReseeds;
        for (const Renumbering& renumbering : kRenumberings) {
            const QString caption = t.caption(renumbering.target);
            if (caption == u"X")
                continue;
            const int number = caption.toInt();
            QVERIFY2(renumbering.allows(number) && (number % 4 == 1 || number % 4 == 2), qPrintable(caption));
            int& seed = seeds[std::size_t(renumbering.target)];
            expectedReseeds.push_back(seed);
            seed = number;
        }
        QVERIFY(expectedReseeds.size() <= 1);
        QCOMPARE(t.world.random.reseeds(), expectedReseeds);
        QCOMPARE(t.board().targetLeft(TargetId::paricmd2), kSentinelLeft);
        const float left = t.board().targetLeft(TargetId::disparicmd2);
        QVERIFY(left == disparicmd2Left || left < 50);
        QVERIFY(
            std::any_of(kAllTargets.begin(), kAllTargets.end(), [&t](TargetId id) { return t.shown(id); }));
        for (TargetId id : kAllTargets)
            QVERIFY(t.board().targetLeft(id) < 1100 && t.board().targetTop(id) < 1100);
    }
}

// The timer's tick reaches the same handler as the launch's direct call: same draws, same board.
void MotionTest::timerTickRunsTheMotion() {
    TargetWorld direct;
    TargetWorld ticked;
    for (TargetWorld* t : {&direct, &ticked}) {
        prepareBoard(*t, false);
        t->world.random.script({moveDraw(Draws::Spread, 6), 0.1F, 0.2F, 0.3F, 0.4F, 0.5F, 0.6F, 0.7F});
    }
    direct.game.Timer2_Timer();
    BoardTimer& timer = ticked.board().Timer2();
    QSignalSpy ticks(&timer, &QTimer::timeout);
    timer.setInterval(1);
    timer.setEnabled(true);
    QVERIFY(ticks.wait(1000));
    timer.setEnabled(false);

    QCOMPARE(ticked.world.random.events.size(), direct.world.random.events.size());
    for (TargetId id : kAllTargets) {
        QCOMPARE(ticked.board().targetLeft(id), direct.board().targetLeft(id));
        QCOMPARE(ticked.board().targetTop(id), direct.board().targetTop(id));
        QCOMPARE(ticked.shown(id), direct.shown(id));
        QCOMPARE(ticked.caption(id), direct.caption(id));
    }
}

QTEST_MAIN(MotionTest)
#include "tst_motion.moc"
