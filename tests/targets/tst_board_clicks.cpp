#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "target_world.h"
#include "toolkit/qt_dialogs.h"

using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

enum class Outcome { Hit, Miss, Launch, Nothing };

constexpr QPoint kParicmdPlace{300, 256};
constexpr QPoint kDisparicmdPlace{450, 100};

void placeTarget(Tavola& board, TargetId id, QPoint place, bool shown) {
    board.setTargetLeft(id, float(place.x()));
    board.setTargetTop(id, float(place.y()));
    board.target(id).setVisible(shown);
}

// A point of the window: the centre of the named control, or a place beside paricmd.
QPoint windowPoint(Tavola& board, const QString& where) {
    if (where == u"beside paricmd") {
        const QWidget& target = board.target(TargetId::paricmd);
        return target.mapTo(&board, QPoint(target.width() + 10, target.height() / 2));
    }
    const auto* control = board.findChild<QWidget*>(where);
    return control->mapTo(&board, control->rect().center());
}

} // namespace

class BoardClicksTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void clickGoesWhereThePlayerPoints_data();
    void clickGoesWhereThePlayerPoints();
    void timersTickWhileTheWarningIsOpen();
};

void BoardClicksTest::clickGoesWhereThePlayerPoints_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("paricmdShown");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("shown right target") << u"paricmd"_qs << true << Outcome::Hit;
    QTest::newRow("shown wrong target") << u"disparicmd"_qs << true << Outcome::Miss;
    QTest::newRow("beside a shown target") << u"beside paricmd"_qs << true << Outcome::Launch;
    QTest::newRow("hidden target") << u"paricmd"_qs << false << Outcome::Launch;
    QTest::newRow("greyed start button") << u"cmdNext"_qs << true << Outcome::Launch;
    QTest::newRow("hidden label") << u"lblMessage"_qs << true << Outcome::Launch;
    QTest::newRow("visible label") << u"Label11"_qs << true << Outcome::Nothing;
}

void BoardClicksTest::clickGoesWhereThePlayerPoints() {
    QFETCH(QString, where);
    QFETCH(bool, paricmdShown);
    QFETCH(Outcome, outcome);
    TargetWorld t;
    Tavola& board = t.board();
    placeTarget(board, TargetId::paricmd, kParicmdPlace, paricmdShown);
    placeTarget(board, TargetId::disparicmd, kDisparicmdPlace, true);
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));

    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, windowPoint(board, where));

    const bool launched = board.Timer2().isActive();
    QCOMPARE(launched, outcome == Outcome::Launch);
    QCOMPARE(t.sound.played.size(), outcome == Outcome::Nothing ? 0U : 1U);
    const int score = outcome == Outcome::Hit ? 1 : outcome == Outcome::Miss ? -4 : 0;
    QCOMPARE(t.state().score.value(), score);
    QCOMPARE(t.world.dialogs.shown.size(), outcome == Outcome::Miss ? 1U : 0U);
    if (outcome == Outcome::Launch)
        QCOMPARE(t.sound.played[0], SoundEffect::Laser);
}

// With Qt's own message box, both timers tick while the warning is open and the button stays red.
void BoardClicksTest::timersTickWhileTheWarningIsOpen() {
    TestWorld world;
    QtDialogs dialogs;
    Game game({dialogs, world.random, world.sound, world.program});
    QTimer startUpPlayer; // answers the name box and the greeting
    startUpPlayer.setInterval(5);
    connect(&startUpPlayer, &QTimer::timeout, this, [] {
        QWidget* box = QApplication::activeModalWidget();
        if (auto* input = qobject_cast<QInputDialog*>(box))
            input->accept();
        else if (auto* message = qobject_cast<QMessageBox*>(box))
            message->button(QMessageBox::Ok)->click();
    });
    startUpPlayer.start();
    game.cmdNext_Click();
    startUpPlayer.stop();
    Tavola& board = game.board();
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    game.Form_Click();
    placeTarget(board, TargetId::disparicmd, kDisparicmdPlace, true);
    QSignalSpy timer1Ticks(&board.Timer1(), &QTimer::timeout);
    QSignalSpy timer2Ticks(&board.Timer2(), &QTimer::timeout);

    constexpr int kTicksWhileOpen = 3;
    qsizetype timer1AtOpen = -1;
    qsizetype timer2AtOpen = -1;
    bool stayedRed = true;
    QTimer closer;
    closer.setInterval(5);
    connect(&closer, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (timer1AtOpen < 0) {
            // Quicker ticks from here on, so that a few fit in the box's short life.
            board.Timer1().setInterval(20);
            board.Timer2().setInterval(20);
            timer1AtOpen = timer1Ticks.count();
            timer2AtOpen = timer2Ticks.count();
        }
        stayedRed = stayedRed && board.target(TargetId::disparicmd).backColor() == Colours::Red &&
                    board.Punteggio().caption() == u"0";
        if (timer1Ticks.count() - timer1AtOpen >= kTicksWhileOpen &&
            timer2Ticks.count() - timer2AtOpen >= kTicksWhileOpen)
            box->button(QMessageBox::Ok)->click();
    });
    closer.start();

    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, windowPoint(board, u"disparicmd"_qs));

    QVERIFY(timer1AtOpen >= 0);
    QVERIFY(stayedRed);
    QCOMPARE(board.Punteggio().caption(), u"-4"_qs);
}

QTEST_MAIN(BoardClicksTest)
#include "tst_board_clicks.moc"
