#include <algorithm>
#include <cmath>
#include <iterator>
#include <random>

#include <QTest>

#include "support/target_world.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

enum class Event { None, Tick, Launch, Hit, Miss };

bool isRight(TargetId id) {
    return id == TargetId::paricmd || id == TargetId::paricmd1 || id == TargetId::paricmd2;
}

SoundEffect soundOf(Event event) {
    return event == Event::Launch ? SoundEffect::Laser
           : event == Event::Hit  ? SoundEffect::Shot
                                  : SoundEffect::Explosion;
}

// A seeded player who ticks, clicks the board and clicks shown targets, through the board's signals.
class Player {
public:
    Player(Game& game, std::uint64_t seed) : game_(game), dice_(std::uint32_t(seed)) {}

    Event play() {
        Tavola& board = game_.board();
        const unsigned pick = dice_() % 10;
        std::vector<TargetId> shown;
        std::copy_if(kAllTargets.begin(), kAllTargets.end(), std::back_inserter(shown),
                     [&board](TargetId id) { return !board.target(id).isHidden(); });
        if (pick == 0) {
            emit board.boardClicked();
            return Event::Launch;
        }
        if (pick < 5 || shown.empty()) {
            game_.Timer2_Timer();
            return Event::Tick;
        }
        const TargetId id = shown[dice_() % shown.size()];
        emit board.targetClicked(id);
        return isRight(id) ? Event::Hit : Event::Miss;
    }

private:
    Game& game_;
    std::mt19937 dice_;
};

} // namespace

class PlayInvariantsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void rulesHoldOverLongPlay_data();
    void rulesHoldOverLongPlay();
};

void PlayInvariantsTest::rulesHoldOverLongPlay_data() {
    QTest::addColumn<quint64>("seed");
    for (quint64 seed : {1U, 20U, 300U})
        QTest::addRow("seed %llu", seed) << seed;
}

void PlayInvariantsTest::rulesHoldOverLongPlay() {
    QFETCH(quint64, seed);
    std::uint64_t clock = seed;
    MixingRandom random(seed, [&clock] { return clock += 7919; });
    TestWorld world;
    Game game({world.dialogs, random, world.sound, world.program}, brivadoro::readSettings());
    game.cmdNext_Click();
    Tavola& board = game.board();
    const std::array<const char16_t*, kAllTargets.size()> startCaptions{u"4", u"8", u"12", u"5", u"6", u"7"};
    for (std::size_t i = 0; i < kAllTargets.size(); ++i)
        board.target(kAllTargets[i]).setCaption(QString::fromUtf16(startCaptions[i]));

    Player player(game, seed);
    int hits = 0;
    int misses = 0;
    Event last = Event::None;
    constexpr int kSteps = 5000;
    for (int step = 0; step < kSteps; ++step) {
        std::array<QString, 3> rightBefore;
        for (std::size_t i = 0; i < 3; ++i)
            rightBefore[i] = board.target(kAllTargets[i]).caption();
        std::array<QPointF, kAllTargets.size()> placesBefore;
        for (std::size_t i = 0; i < kAllTargets.size(); ++i)
            placesBefore[i] = {board.targetLeft(kAllTargets[i]), board.targetTop(kAllTargets[i])};
        const std::size_t soundsBefore = world.sound.played.size();
        const Event event = player.play();
        QCOMPARE(world.sound.played.size(), soundsBefore + (event == Event::Tick ? 0 : 1));
        if (event != Event::Tick)
            QCOMPARE(world.sound.played.back(), soundOf(event));
        hits += event == Event::Hit ? 1 : 0;
        misses += event == Event::Miss ? 1 : 0;
        if (event == Event::Hit || event == Event::Miss)
            last = event;

        for (std::size_t i = 0; i < kAllTargets.size(); ++i) {
            const TargetId id = kAllTargets[i];
            bool isNumber = false;
            const int number = board.target(id).caption().toInt(&isNumber);
            QVERIFY(isNumber && number > 0);
            QCOMPARE(number % 4 == 0, isRight(id));
            // Every place the motion sets is a whole number of the board's units.
            const float left = board.targetLeft(id);
            const float top = board.targetTop(id);
            QVERIFY(left == float(placesBefore[i].x()) || left == std::floor(left));
            QVERIFY(top == float(placesBefore[i].y()) || top == std::floor(top));
        }
        if (event == Event::Tick || event == Event::Launch) {
            for (std::size_t i = 0; i < 3; ++i)
                QCOMPARE(board.target(kAllTargets[i]).caption(), rightBefore[i]);
        }
        const int score = hits - 4 * misses;
        const QString label = last == Event::Hit    ? u' ' + QString::number(score)
                              : last == Event::Miss ? QString::number(score)
                                                    : u"0"_s;
        QCOMPARE(board.Punteggio().caption(), label);
    }
    QVERIFY(hits > 100 && misses > 100);
    QVERIFY(!world.program.endedWith);
}

QTEST_MAIN(PlayInvariantsTest)
#include "tst_play_invariants.moc"
