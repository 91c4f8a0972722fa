#include <QApplication>
#include <QInputDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "support/target_world.h"
#include "toolkit/qt_dialogs.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

enum class Outcome { Hit, Miss, Launch, Exit, Nothing };

constexpr QPoint kParicmdPlace{300, 256};
constexpr QPoint kDisparicmdPlace{450, 100};
// How far into the covered button the covering target lies.
constexpr int kCoverIndent = 20;

void placeTarget(Tavola& board, TargetId id, QPoint place, bool shown) {
    board.setTargetLeft(id, float(place.x()));
    board.setTargetTop(id, float(place.y()));
    board.target(id).setVisible(shown);
}

// Shows paricmd1 over the left part of the named button, its top on the button's top.
void coverButton(Tavola& board, const QString& button) {
    const QRect face = board.findChild<QWidget*>(button)->geometry();
    board.setTargetLeft(TargetId::paricmd1, board.scale().fromPixelsX(float(face.x() + kCoverIndent)));
    board.setTargetTop(TargetId::paricmd1, board.scale().fromPixelsY(float(face.y())));
    board.target(TargetId::paricmd1).show();
}

// A point of the inner area: the centre of the named control, or of the overlap of the controls
// named "A & B"; "beside" that, a point just right of it.
QPoint innerPoint(Tavola& board, QStringView where) {
    const bool beside = where.startsWith(u"beside ");
    QRect area = board.surface().rect();
    for (QStringView name : (beside ? where.sliced(7) : where).split(u" & "))
        area &= board.findChild<QWidget*>(name.toString())->geometry();
    return beside ? QPoint(area.right() + 10, area.center().y()) : area.center();
}

// The colour at a point of the inner area if the named control lies on top there: the backdrop,
// with that control drawn over it unless it is the inner area itself.
QColor colourOnTop(Tavola& board, const QString& seen, QPoint point) {
    QImage image = board.surface().backdrop().copy();
    if (seen != board.surface().objectName()) {
        auto* control = board.findChild<QWidget*>(seen);
        QPainter painter(&image);
        control->render(&painter, control->pos(), QRegion(), QWidget::DrawChildren);
    }
    return image.pixelColor(point);
}

} // namespace

class BoardClicksTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void clickGoesWhereThePlayerPoints_data();
    void clickGoesWhereThePlayerPoints();
    void targetCornersTakeTheClickAtEveryZoom_data();
    void targetCornersTakeTheClickAtEveryZoom();
    void timersTickWhileTheWarningIsOpen();
};

// The click reaches what the player sees at that point, whatever lies under it.
void BoardClicksTest::clickGoesWhereThePlayerPoints_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("paricmdShown");
    QTest::addColumn<QString>("covered"); // the button paricmd1 lies over; empty: paricmd1 stays hidden
    QTest::addColumn<QString>("seen");    // the control shown on top there; "inner" for the backdrop
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("shown right target") << u"paricmd"_s << true << QString() << u"paricmd"_s << Outcome::Hit;
    QTest::newRow("shown wrong target")
        << u"disparicmd"_s << true << QString() << u"disparicmd"_s << Outcome::Miss;
    QTest::newRow("beside a shown target")
        << u"beside paricmd"_s << true << QString() << u"inner"_s << Outcome::Launch;
    QTest::newRow("hidden target") << u"paricmd"_s << false << QString() << u"inner"_s << Outcome::Launch;
    QTest::newRow("greyed start button")
        << u"cmdNext"_s << true << QString() << u"cmdNext"_s << Outcome::Launch;
    QTest::newRow("target over the start button")
        << u"paricmd1 & cmdNext"_s << true << u"cmdNext"_s << u"paricmd1"_s << Outcome::Hit;
    QTest::newRow("start button beside a target over it")
        << u"beside paricmd1 & cmdNext"_s << true << u"cmdNext"_s << u"cmdNext"_s << Outcome::Launch;
    QTest::newRow("target over the exit button")
        << u"paricmd1 & cmdExit"_s << true << u"cmdExit"_s << u"paricmd1"_s << Outcome::Hit;
    QTest::newRow("exit button beside a target over it")
        << u"beside paricmd1 & cmdExit"_s << true << u"cmdExit"_s << u"cmdExit"_s << Outcome::Exit;
    QTest::newRow("where the start and exit buttons overlap")
        << u"cmdNext & cmdExit"_s << true << QString() << u"cmdExit"_s << Outcome::Exit;
    QTest::newRow("hidden label") << u"lblMessage"_s << true << QString() << u"inner"_s << Outcome::Launch;
    QTest::newRow("visible label") << u"Label11"_s << true << QString() << u"Label11"_s << Outcome::Nothing;
}

void BoardClicksTest::clickGoesWhereThePlayerPoints() {
    QFETCH(QString, where);
    QFETCH(bool, paricmdShown);
    QFETCH(QString, covered);
    QFETCH(QString, seen);
    QFETCH(Outcome, outcome);
    TargetWorld t;
    t.world.program.throws = false; // the end returns, as the board's own connections need
    Tavola& board = t.board();
    placeTarget(board, TargetId::paricmd, kParicmdPlace, paricmdShown);
    placeTarget(board, TargetId::disparicmd, kDisparicmdPlace, true);
    if (!covered.isEmpty())
        coverButton(board, covered);
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    const QPoint point = innerPoint(board, where);
    QCOMPARE(board.surface().grab().toImage().pixelColor(point), colourOnTop(board, seen, point));

    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, board.surface().mapTo(&board, point));

    const bool launched = board.Timer2().isActive();
    QCOMPARE(launched, outcome == Outcome::Launch);
    const bool sounded = outcome != Outcome::Nothing && outcome != Outcome::Exit;
    QCOMPARE(t.sound.played.size(), sounded ? 1U : 0U);
    const QString score = outcome == Outcome::Hit ? u" 1"_s : outcome == Outcome::Miss ? u"-4"_s : u"0"_s;
    QCOMPARE(board.Punteggio().caption(), score);
    const bool boxShown = outcome == Outcome::Miss || outcome == Outcome::Exit;
    QCOMPARE(t.world.dialogs.shown.size(), boxShown ? 1U : 0U);
    QCOMPARE(t.world.program.endedWith.has_value(), outcome == Outcome::Exit);
    if (outcome == Outcome::Launch)
        QCOMPARE(t.sound.played[0], SoundEffect::Laser);
}

// The board's units map to pixels at the zoom that fits the window: a target placed at Left 300 and
// Top 256 lies where the zoom puts it, and each of its corner pixels takes the click.
void BoardClicksTest::targetCornersTakeTheClickAtEveryZoom_data() {
    QTest::addColumn<QSize>("room"); // the window's area under the menu bar
    QTest::addColumn<QRect>("inner");
    QTest::addColumn<QRect>("target");
    QTest::newRow("three quarters") << QSize(456, 504) << QRect(0, 0, 456, 504) << QRect(225, 252, 61, 61);
    QTest::newRow("design size") << QSize(608, 672) << QRect(0, 0, 608, 672) << QRect(300, 336, 81, 81);
    QTest::newRow("double") << QSize(1216, 1344) << QRect(0, 0, 1216, 1344) << QRect(600, 672, 162, 162);
    QTest::newRow("wide window, centred")
        << QSize(1000, 800) << QRect(138, 0, 724, 800) << QRect(357, 400, 96, 96);
    QTest::newRow("full screen at 3840x2160")
        << QSize(3840, 2136) << QRect(953, 0, 1933, 2136) << QRect(954, 1068, 257, 257);
}

void BoardClicksTest::targetCornersTakeTheClickAtEveryZoom() {
    QFETCH(QSize, room);
    QFETCH(QRect, inner);
    QFETCH(QRect, target);
    TargetWorld t;
    Tavola& board = t.board();
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    board.resize(room + QSize(0, board.menuBar()->heightForWidth(room.width())));
    QTRY_COMPARE(board.surface().geometry(), inner);
    const std::array corners{target.topLeft(), target.topRight(), target.bottomLeft(), target.bottomRight()};
    for (const QPoint corner : corners) {
        placeTarget(board, TargetId::paricmd, kParicmdPlace, true);
        QCOMPARE(board.target(TargetId::paricmd).geometry(), target);
        QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, board.surface().mapTo(&board, corner));
    }
    QCOMPARE(board.Punteggio().caption(), u" 4"_s);
    placeTarget(board, TargetId::paricmd, kParicmdPlace, true);
    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {},
                      board.surface().mapTo(&board, target.topLeft() - QPoint(1, 1)));
    QVERIFY(board.Timer2().isActive());
}

// With Qt's own message box, both timers tick while the warning is open and the button stays red.
void BoardClicksTest::timersTickWhileTheWarningIsOpen() {
    TestWorld world;
    QtDialogs dialogs;
    Game game({dialogs, world.random, world.sound, world.program}, brivadoro::readSettings());
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

    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {},
                      board.surface().mapTo(&board, innerPoint(board, u"disparicmd")));

    QVERIFY(timer1AtOpen >= 0);
    QVERIFY(stayedRed);
    QCOMPARE(board.Punteggio().caption(), u"-4"_s);
}

QTEST_MAIN(BoardClicksTest)
#include "tst_board_clicks.moc"
