#include <optional>
#include <set>

#include <QTest>

#include "target_world.h"

using namespace brivadoro;
using namespace brivadoro::testing;
using Kind = ScriptedRandom::Event::Kind;

namespace {

void click(TargetWorld& t, TargetId id) {
    emit t.board().targetClicked(id);
}

// The events from the target's reseed up to the new question's reseed from the clock.
std::vector<ScriptedRandom::Event> renumberingEvents(const TargetWorld& t) {
    std::vector<ScriptedRandom::Event> events;
    for (const ScriptedRandom::Event& event : t.world.random.events) {
        if (event.kind == Kind::ReseedFromClock)
            break;
        events.push_back(event);
    }
    return events;
}

void prepareTarget(TargetWorld& t, TargetId id, const QString& caption) {
    t.board().target(id).setCaption(caption);
    t.board().target(id).setVisible(true);
    t.board().lblMessage().setCaption(u"x"_qs);
}

} // namespace

class ShotsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void hitRunsItsCourse_data();
    void hitRunsItsCourse();
    void missRunsItsCourse_data();
    void missRunsItsCourse();
    void scoreLabelFollowsTheLastEvent_data();
    void scoreLabelFollowsTheLastEvent();
    void paricmd2ReseedsFromItsPreviousHit();
    void timerTickWhileWarningIsOpen();
    void missNumbersCoverTheirSpanWithoutMultiplesOf4_data();
    void missNumbersCoverTheirSpanWithoutMultiplesOf4();
    void overflowEndsTheProgramThroughTheBoundary_data();
    void overflowEndsTheProgramThroughTheBoundary();
};

void ShotsTest::hitRunsItsCourse_data() {
    QTest::addColumn<TargetId>("target");
    QTest::addColumn<float>("draw");
    QTest::addColumn<int>("paricmd2Number");
    QTest::addColumn<double>("reseed");
    QTest::addColumn<QString>("number");
    QTest::newRow("paricmd, draw 0") << TargetId::paricmd << 0.0F << 48 << 0.0 << u"4"_qs;
    QTest::newRow("paricmd, draw 0.5") << TargetId::paricmd << 0.5F << 48 << 0.0 << u"204"_qs;
    QTest::newRow("paricmd, largest draw") << TargetId::paricmd << kTopDraw << 48 << 0.0 << u"400"_qs;
    QTest::newRow("paricmd1, draw 0") << TargetId::paricmd1 << 0.0F << 48 << 0.0 << u"8"_qs;
    QTest::newRow("paricmd1, largest draw") << TargetId::paricmd1 << kTopDraw << 48 << 0.0 << u"404"_qs;
    QTest::newRow("paricmd2, first hit") << TargetId::paricmd2 << 0.0F << 0 << 0.0 << u"4"_qs;
    QTest::newRow("paricmd2, later hit") << TargetId::paricmd2 << kTopDraw << 48 << 48.0 << u"160"_qs;
}

void ShotsTest::hitRunsItsCourse() {
    QFETCH(TargetId, target);
    QFETCH(float, draw);
    QFETCH(int, paricmd2Number);
    QFETCH(double, reseed);
    QFETCH(QString, number);
    TargetWorld t;
    prepareTarget(t, target, u"12"_qs);
    t.state().paricmd2Number = paricmd2Number;
    t.world.random.script({draw});
    BoardButton& button = t.board().target(target);
    bool soundChecked = false;
    t.sound.onPlay = [&](SoundEffect) {
        QCOMPARE(t.state().flashCount.value(), 20001);
        QCOMPARE(button.backColor(), Colours::Green);
        QCOMPARE(t.state().score.value(), 1);
        QCOMPARE(t.board().Punteggio().caption(), u"0"_qs);
        soundChecked = true;
    };

    click(t, target);

    QVERIFY(soundChecked);
    QCOMPARE(t.sound.played, std::vector{SoundEffect::Shot});
    QCOMPARE(t.state().flashCount.value(), 20001);
    QCOMPARE(t.board().Punteggio().caption(), u" 1"_qs);
    QCOMPARE(button.backColor(), Colours::Cyan);
    QVERIFY(button.isHidden());
    QCOMPARE(button.caption(), number);
    QCOMPARE(t.state().paricmd2Number.value(),
             target == TargetId::paricmd2 ? number.toInt() : paricmd2Number);
    const auto events = renumberingEvents(t);
    QCOMPARE(events.size(), 2U);
    QCOMPARE(events[0].kind, Kind::Reseed);
    QCOMPARE(events[0].value, reseed);
    QCOMPARE(events[1].value, double(draw));
    QCOMPARE(t.board().lblMessage().caption(), QString());
    QVERIFY(t.world.dialogs.shown.empty());
}

void ShotsTest::missRunsItsCourse_data() {
    QTest::addColumn<TargetId>("target");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<float>("draw");
    QTest::addColumn<double>("reseed");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("number");
    QTest::newRow("disparicmd, draw 0") << TargetId::disparicmd << u"38"_qs << 0.0F << 0.0
                                        << u"Attenzione!  38non è  un numero divisibile per 4"_qs << u"2"_qs;
    QTest::newRow("disparicmd, largest draw")
        << TargetId::disparicmd << u"3601"_qs << kTopDraw << 0.0
        << u"Attenzione!  3601non è  un numero divisibile per 4"_qs << u"41"_qs;
    QTest::newRow("disparicmd1") << TargetId::disparicmd1 << u"21"_qs << 0.5F << 0.0
                                 << u"Attenzione! Hai sbagliato:  21 non è  un numero divisibile per 4"_qs
                                 << u"1601"_qs;
    QTest::newRow("disparicmd2, draw 0")
        << TargetId::disparicmd2 << u"38"_qs << 0.0F << 38.0
        << u"Attenzione!  38 non è  un numero divisibile per 4"_qs << u"1"_qs;
    QTest::newRow("disparicmd2, largest draw")
        << TargetId::disparicmd2 << u"38"_qs << kTopDraw << 38.0
        << u"Attenzione!  38 non è  un numero divisibile per 4"_qs << u"299"_qs;
}

void ShotsTest::missRunsItsCourse() {
    QFETCH(TargetId, target);
    QFETCH(QString, caption);
    QFETCH(float, draw);
    QFETCH(double, reseed);
    QFETCH(QString, warning);
    QFETCH(QString, number);
    TargetWorld t;
    prepareTarget(t, target, caption);
    t.state().disparicmd2Number = 38;
    t.world.random.script({draw});
    BoardButton& button = t.board().target(target);
    t.sound.onPlay = [&](SoundEffect) {
        QCOMPARE(t.state().flashCount.value(), 10001);
        QCOMPARE(button.backColor(), Colours::Red);
        QCOMPARE(t.state().score.value(), 0);
        QVERIFY(t.world.dialogs.shown.empty());
    };
    bool boxChecked = false;
    t.world.dialogs.answer({MessageAnswer::Ok, {}, [&] {
                                QCOMPARE(t.sound.played, std::vector{SoundEffect::Explosion});
                                QCOMPARE(button.backColor(), Colours::Red);
                                QCOMPARE(t.board().Punteggio().caption(), u"0"_qs);
                                QVERIFY(!button.isHidden());
                                boxChecked = true;
                            }});

    click(t, target);

    QVERIFY(boxChecked);
    QCOMPARE(t.world.dialogs.shown.size(), 1U);
    QCOMPARE(t.world.dialogs.shown[0].text, warning);
    QCOMPARE(t.world.dialogs.shown[0].style, MessageStyle::Ok);
    QCOMPARE(t.world.dialogs.shown[0].title, u"Brivadoro"_qs);
    QCOMPARE(t.state().flashCount.value(), 10001);
    QCOMPARE(t.state().score.value(), -4);
    QCOMPARE(t.board().Punteggio().caption(), u"-4"_qs);
    QVERIFY(button.isHidden());
    QCOMPARE(button.caption(), number);
    QCOMPARE(button.backColor(), Colours::Cyan);
    QCOMPARE(t.state().disparicmd2Number.value(), target == TargetId::disparicmd2 ? number.toInt() : 38);
    const auto events = renumberingEvents(t);
    QCOMPARE(events.size(), target == TargetId::disparicmd1 ? 1U : 2U);
    QCOMPARE(events[0].kind, Kind::Reseed);
    QCOMPARE(events[0].value, reseed);
    QCOMPARE(t.board().lblMessage().caption(), QString());
}

void ShotsTest::scoreLabelFollowsTheLastEvent_data() {
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("hit") << u"H"_qs << QStringList{u" 1"_qs};
    QTest::newRow("miss") << u"M"_qs << QStringList{u"-4"_qs};
    QTest::newRow("hit, miss") << u"HM"_qs << QStringList{u" 1"_qs, u"-3"_qs};
    QTest::newRow("miss, hit") << u"MH"_qs << QStringList{u"-4"_qs, u" -3"_qs};
    QTest::newRow("miss, 4 hits") << u"MHHHH"_qs
                                  << QStringList{u"-4"_qs, u" -3"_qs, u" -2"_qs, u" -1"_qs, u" 0"_qs};
}

void ShotsTest::scoreLabelFollowsTheLastEvent() {
    QFETCH(QString, clicks);
    QFETCH(QStringList, labels);
    TargetWorld t;
    QStringList seen;
    for (QChar c : clicks) {
        click(t, c == u'H' ? TargetId::paricmd1 : TargetId::disparicmd2);
        seen << t.board().Punteggio().caption();
    }
    QCOMPARE(seen, labels);
}

void ShotsTest::paricmd2ReseedsFromItsPreviousHit() {
    TargetWorld t;
    Int16 previous;
    for (int hit = 0; hit < 3; ++hit) {
        t.world.random.events.clear();
        t.game.paricmd2_Click();
        QCOMPARE(t.world.random.reseeds().front(), double(previous.value()));
        previous = t.state().paricmd2Number;
        QCOMPARE(t.caption(TargetId::paricmd2), QString::number(previous.value()));
    }
    QStringList numbers;
    for (int hit = 0; hit < 3; ++hit) {
        t.world.random.events.clear();
        t.game.paricmd_Click();
        QCOMPARE(t.world.random.reseeds().front(), 0.0);
        numbers << t.caption(TargetId::paricmd);
    }
    QVERIFY2(numbers.removeDuplicates() < 2, "reseeding from 0 must not repeat the numbers");
}

// A Timer2 tick arrives while the miss's warning is open: the targets move, the clicked one stays
// red with the old score shown, and the miss then reseeds from the number the tick just drew.
void ShotsTest::timerTickWhileWarningIsOpen() {
    TargetWorld t;
    prepareTarget(t, TargetId::disparicmd2, u"38"_qs);
    t.state().disparicmd2Number = 38;
    t.game.Form_Click();
    Int16 drawnByTick;
    t.world.dialogs.answer(
        {MessageAnswer::Ok, {}, [&] {
             t.world.random.script({float(5.5 / 6), 0.1F, 0.2F, 0.3F, 0.4F, 0.5F, 0.6F, 0.7F});
             t.game.Timer2_Timer();
             drawnByTick = t.state().disparicmd2Number;
             QCOMPARE(t.board().target(TargetId::disparicmd2).backColor(), Colours::Red);
             QCOMPARE(t.board().Punteggio().caption(), u"0"_qs);
             QVERIFY(t.board().Timer2().isActive());
             QVERIFY(t.board().Timer1().isActive());
         }});
    t.world.random.events.clear();

    t.game.disparicmd2_Click();

    QCOMPARE(t.world.random.reseeds(), (std::vector<double>{38.0, double(drawnByTick.value())}));
    QCOMPARE(t.state().score.value(), -4);
    QVERIFY(t.board().target(TargetId::disparicmd2).isHidden());
    QCOMPARE(t.board().target(TargetId::disparicmd2).backColor(), Colours::Cyan);
}

void ShotsTest::missNumbersCoverTheirSpanWithoutMultiplesOf4_data() {
    QTest::addColumn<TargetId>("target");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");
    QTest::newRow("disparicmd") << TargetId::disparicmd << 2 << 41;
    QTest::newRow("disparicmd2") << TargetId::disparicmd2 << 1 << 300;
}

void ShotsTest::missNumbersCoverTheirSpanWithoutMultiplesOf4() {
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
        if (target == TargetId::disparicmd)
            t.game.disparicmd_Click();
        else
            t.game.disparicmd2_Click();
        seen.insert(t.caption(target).toInt());
    }
    QCOMPARE(seen, expected);
}

void ShotsTest::overflowEndsTheProgramThroughTheBoundary_data() {
    QTest::addColumn<TargetId>("target");
    QTest::addColumn<int>("score");
    QTest::newRow("hit at 32767") << TargetId::paricmd << 32767;
    QTest::newRow("miss at -32765") << TargetId::disparicmd1 << -32765;
}

void ShotsTest::overflowEndsTheProgramThroughTheBoundary() {
    QFETCH(TargetId, target);
    QFETCH(int, score);
    TargetWorld t;
    t.state().score = score;

    click(t, target);

    QCOMPARE(t.world.program.endedWith, std::optional<int>(ErrorBoundary::kFailureStatus));
    QCOMPARE(t.world.dialogs.shown.back().style, MessageStyle::IconCritical);
}

QTEST_MAIN(ShotsTest)
#include "tst_shots.moc"
