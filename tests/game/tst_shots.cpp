#include <optional>

#include <QTest>

#include "support/target_world.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;
using Kind = ScriptedRandom::Event::Kind;

namespace {

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
    t.board().lblMessage().setCaption(u"x"_s);
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
    void timerTickWhileWarningIsOpen();
    void overflowEndsTheProgramThroughTheBoundary_data();
    void overflowEndsTheProgramThroughTheBoundary();
};

void ShotsTest::hitRunsItsCourse_data() {
    QTest::addColumn<TargetId>("target");
    QTest::addColumn<float>("draw");
    QTest::addColumn<QString>("number");
    QTest::newRow("paricmd, draw 0") << TargetId::paricmd << 0.0F << u"4"_s;
    QTest::newRow("paricmd, draw 0.5") << TargetId::paricmd << 0.5F << u"204"_s;
    QTest::newRow("paricmd, largest draw") << TargetId::paricmd << kTopDraw << u"400"_s;
    QTest::newRow("paricmd1, draw 0") << TargetId::paricmd1 << 0.0F << u"8"_s;
    QTest::newRow("paricmd1, largest draw") << TargetId::paricmd1 << kTopDraw << u"404"_s;
    QTest::newRow("paricmd2, draw 0") << TargetId::paricmd2 << 0.0F << u"4"_s;
    QTest::newRow("paricmd2, largest draw") << TargetId::paricmd2 << kTopDraw << u"160"_s;
}

void ShotsTest::hitRunsItsCourse() {
    QFETCH(TargetId, target);
    QFETCH(float, draw);
    QFETCH(QString, number);
    TargetWorld t;
    prepareTarget(t, target, u"12"_s);
    t.world.random.script({draw});
    BoardButton& button = t.board().target(target);
    bool soundChecked = false;
    t.sound.onPlay = [&](SoundEffect) {
        QCOMPARE(t.state().flashCount.value(), 20001);
        QCOMPARE(button.backColor(), Colours::Green);
        QCOMPARE(t.state().score.value(), 1);
        QCOMPARE(t.board().Punteggio().caption(), u"0"_s);
        soundChecked = true;
    };

    t.click(target);

    QVERIFY(soundChecked);
    QCOMPARE(t.sound.played, std::vector{SoundEffect::Shot});
    QCOMPARE(t.state().flashCount.value(), 20001);
    QCOMPARE(t.board().Punteggio().caption(), u" 1"_s);
    QCOMPARE(button.backColor(), Colours::Cyan);
    QVERIFY(button.isHidden());
    QCOMPARE(button.caption(), number);
    const auto events = renumberingEvents(t);
    QCOMPARE(events.size(), 2U);
    QCOMPARE(events[0].kind, Kind::Reseed);
    QCOMPARE(events[1].value, double(draw));
    QCOMPARE(t.board().lblMessage().caption(), QString());
    QVERIFY(t.world.dialogs.shown.empty());
}

void ShotsTest::missRunsItsCourse_data() {
    QTest::addColumn<TargetId>("target");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<float>("draw");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("number");
    QTest::newRow("disparicmd, draw 0") << TargetId::disparicmd << u"38"_s << 0.0F
                                        << u"Attenzione!  38non è  un numero divisibile per 4"_s << u"2"_s;
    QTest::newRow("disparicmd, largest draw")
        << TargetId::disparicmd << u"3601"_s << kTopDraw
        << u"Attenzione!  3601non è  un numero divisibile per 4"_s << u"41"_s;
    QTest::newRow("disparicmd1") << TargetId::disparicmd1 << u"21"_s << 0.5F
                                 << u"Attenzione! Hai sbagliato:  21 non è  un numero divisibile per 4"_s
                                 << u"1601"_s;
    QTest::newRow("disparicmd2, draw 0") << TargetId::disparicmd2 << u"38"_s << 0.0F
                                         << u"Attenzione!  38 non è  un numero divisibile per 4"_s << u"1"_s;
    QTest::newRow("disparicmd2, largest draw")
        << TargetId::disparicmd2 << u"38"_s << kTopDraw
        << u"Attenzione!  38 non è  un numero divisibile per 4"_s << u"299"_s;
}

void ShotsTest::missRunsItsCourse() {
    QFETCH(TargetId, target);
    QFETCH(QString, caption);
    QFETCH(float, draw);
    QFETCH(QString, warning);
    QFETCH(QString, number);
    TargetWorld t;
    prepareTarget(t, target, caption);
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
                                QCOMPARE(t.board().Punteggio().caption(), u"0"_s);
                                QVERIFY(!button.isHidden());
                                boxChecked = true;
                            }});

    t.click(target);

    QVERIFY(boxChecked);
    QCOMPARE(t.world.dialogs.shown.size(), 1U);
    QCOMPARE(t.world.dialogs.shown[0].text, warning);
    QCOMPARE(t.world.dialogs.shown[0].style, MessageStyle::Ok);
    QCOMPARE(t.world.dialogs.shown[0].title, u"Brivadoro"_s);
    QCOMPARE(t.state().flashCount.value(), 10001);
    QCOMPARE(t.state().score.value(), -4);
    QCOMPARE(t.board().Punteggio().caption(), u"-4"_s);
    QVERIFY(button.isHidden());
    QCOMPARE(button.caption(), number);
    QCOMPARE(button.backColor(), Colours::Cyan);
    const auto events = renumberingEvents(t);
    QCOMPARE(events.size(), target == TargetId::disparicmd1 ? 1U : 2U);
    QCOMPARE(events[0].kind, Kind::Reseed);
    QCOMPARE(t.board().lblMessage().caption(), QString());
}

void ShotsTest::scoreLabelFollowsTheLastEvent_data() {
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("hit") << u"H"_s << QStringList{u" 1"_s};
    QTest::newRow("miss") << u"M"_s << QStringList{u"-4"_s};
    QTest::newRow("hit, miss") << u"HM"_s << QStringList{u" 1"_s, u"-3"_s};
    QTest::newRow("miss, hit") << u"MH"_s << QStringList{u"-4"_s, u" -3"_s};
    QTest::newRow("miss, 4 hits") << u"MHHHH"_s
                                  << QStringList{u"-4"_s, u" -3"_s, u" -2"_s, u" -1"_s, u" 0"_s};
}

void ShotsTest::scoreLabelFollowsTheLastEvent() {
    QFETCH(QString, clicks);
    QFETCH(QStringList, labels);
    TargetWorld t;
    QStringList seen;
    for (QChar c : clicks) {
        t.click(c == u'H' ? TargetId::paricmd1 : TargetId::disparicmd2);
        seen << t.board().Punteggio().caption();
    }
    QCOMPARE(seen, labels);
}

// A Timer2 tick arrives while the miss's warning is open: the targets move, the clicked one stays
// red with the old score shown, and the miss then reseeds from the number the tick just drew.
void ShotsTest::timerTickWhileWarningIsOpen() {
    TargetWorld t;
    prepareTarget(t, TargetId::disparicmd2, u"38"_s);
    t.state().disparicmd2Number = 38;
    t.game.Form_Click();
    int drawnByTick = 0;
    const auto tickWhileOpen = [&] {
        t.world.random.script({float(5.5 / 6), 0.1F, 0.2F, 0.3F, 0.4F, 0.5F, 0.6F, 0.7F});
        t.game.Timer2_Timer();
        drawnByTick = t.caption(TargetId::disparicmd2).toInt();
        QCOMPARE(t.board().target(TargetId::disparicmd2).backColor(), Colours::Red);
        QCOMPARE(t.board().Punteggio().caption(), u"0"_s);
        QVERIFY(t.board().Timer2().isActive());
        QVERIFY(t.board().Timer1().isActive());
    };
    t.world.dialogs.answer({MessageAnswer::Ok, {}, tickWhileOpen});
    t.world.random.events.clear();

    t.game.disparicmd2_Click();

    QCOMPARE(t.world.random.reseeds(), (std::vector<double>{38.0, double(drawnByTick)}));
    QCOMPARE(t.board().Punteggio().caption(), u"-4"_s);
    QVERIFY(t.board().target(TargetId::disparicmd2).isHidden());
    QCOMPARE(t.board().target(TargetId::disparicmd2).backColor(), Colours::Cyan);
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

    t.click(target);

    QCOMPARE(t.world.program.endedWith, std::optional<int>(ExitStatus::Failure));
    QCOMPARE(t.world.dialogs.shown.back().style, MessageStyle::IconCritical);
}

QTEST_MAIN(ShotsTest)
#include "tst_shots.moc"
