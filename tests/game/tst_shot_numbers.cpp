#include <set>

#include <QTest>

#include "support/target_world.h"

using namespace brivadoro;
using namespace brivadoro::testing;

// The numbers that hits and misses give their targets, and what those numbers are drawn from.
class ShotNumbersTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void eachShotSeedsFromTheTargetsOwnNumber_data();
    void eachShotSeedsFromTheTargetsOwnNumber();
    void missNumbersCoverTheirSpanWithoutMultiplesOf4_data();
    void missNumbersCoverTheirSpanWithoutMultiplesOf4();
};

// Shots on the target take turns with shots on all the others. A target that keeps its number
// reseeds from the number its last shot gave it, 0 before the first; the others always from 0, and
// their numbers still vary.
void ShotNumbersTest::eachShotSeedsFromTheTargetsOwnNumber_data() {
    QTest::addColumn<TargetId>("target");
    QTest::addColumn<bool>("keepsNumber");
    for (TargetId id : kAllTargets) {
        QTest::addRow("%s", qPrintable(kTargetNames[std::size_t(id)].toString()))
            << id << (id == TargetId::paricmd2 || id == TargetId::disparicmd2);
    }
}

void ShotNumbersTest::eachShotSeedsFromTheTargetsOwnNumber() {
    QFETCH(TargetId, target);
    QFETCH(bool, keepsNumber);
    TargetWorld t;
    int previous = 0;
    QStringList numbers;
    for (int round = 0; round < 3; ++round) {
        for (TargetId other : kAllTargets) {
            if (other != target)
                t.click(other);
        }
        t.world.random.events.clear();
        t.click(target);
        QCOMPARE(t.world.random.reseeds().front(), keepsNumber ? double(previous) : 0.0);
        previous = t.caption(target).toInt();
        numbers << t.caption(target);
    }
    if (target != TargetId::disparicmd1)
        QVERIFY2(numbers.removeDuplicates() < 2, "the numbers must vary from shot to shot");
}

void ShotNumbersTest::missNumbersCoverTheirSpanWithoutMultiplesOf4_data() {
    QTest::addColumn<TargetId>("target");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");
    QTest::newRow("disparicmd") << TargetId::disparicmd << 2 << 41;
    QTest::newRow("disparicmd2") << TargetId::disparicmd2 << 1 << 300;
}

void ShotNumbersTest::missNumbersCoverTheirSpanWithoutMultiplesOf4() {
    QFETCH(TargetId, target);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    TargetWorld t;
    std::set<int> expected;
    for (int n = lowest; n <= highest; ++n) {
        if (n % 4 != 0)
            expected.insert(n);
    }
    constexpr int kDraws = 1024;
    std::set<int> seen;
    for (int i = 0; i < kDraws; ++i) {
        t.world.random.script({float(i) / kDraws});
        t.click(target);
        seen.insert(t.caption(target).toInt());
    }
    QCOMPARE(seen, expected);
}

QTEST_MAIN(ShotNumbersTest)
#include "tst_shot_numbers.moc"
