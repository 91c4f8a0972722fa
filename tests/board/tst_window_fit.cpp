#include <QScreen>
#include <QtTest>

#include "game/game.h"
#include "support/doubles.h"
#include "support/test_main.h"

using namespace brivadoro;
using namespace brivadoro::testing;

// The board's window on the offscreen platform's one screen, a netbook's 1024x600 (see CMakeLists),
// where a window's frame is 2 pixels all round.
class WindowFitTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void zoomStaysWithinTheBoardsBounds_data();
    void zoomStaysWithinTheBoardsBounds();
    void startUpFitCountsTheFrame();
    void fullScreenGivesBackTheEarlierState_data();
    void fullScreenGivesBackTheEarlierState();
    void shrunkScreenRefitsOnlyANormalWindowThatNoLongerFits_data();
    void shrunkScreenRefitsOnlyANormalWindowThatNoLongerFits();
    void newGameKeepsTheWindowAsItWas_data();
    void newGameKeepsTheWindowAsItWas();
};

namespace {

QSize innerSizeAt(double zoom) {
    BoardScale scale;
    scale.setZoom(zoom);
    return scale.innerSize();
}

// Waits until the window shows in state, at the size the state gives it.
void waitForState(Tavola& board, Qt::WindowStates state) {
    QTRY_COMPARE(board.windowState(), state);
    if (state.testFlag(Qt::WindowFullScreen))
        QTRY_COMPARE(board.geometry(), board.screen()->geometry());
    else if (state.testFlag(Qt::WindowMaximized))
        QTRY_COMPARE(board.frameGeometry(), board.screen()->availableGeometry());
}

void showFitted(Tavola& board, Qt::WindowStates state) {
    board.windowFit().startAs(WindowStart::Fitted);
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    board.setWindowState(state);
    waitForState(board, state);
}

} // namespace

void WindowFitTest::zoomStaysWithinTheBoardsBounds_data() {
    QTest::addColumn<QRect>("area");
    QTest::addColumn<double>("least");
    QTest::addColumn<double>("most");
    QTest::newRow("no size yet") << QRect() << BoardScale::kSmallestZoom << BoardScale::kSmallestZoom;
    QTest::newRow("negative") << QRect(0, 0, -300, -20) << BoardScale::kSmallestZoom
                              << BoardScale::kSmallestZoom;
    QTest::newRow("tiny") << QRect(0, 0, 60, 40) << BoardScale::kSmallestZoom << BoardScale::kSmallestZoom;
    QTest::newRow("a panel's strip left")
        << QRect(0, 0, 1920, 30) << BoardScale::kSmallestZoom << BoardScale::kSmallestZoom;
    QTest::newRow("a netbook") << QRect(0, 24, 1024, 576) << 0.7 << 0.8;
    QTest::newRow("a whiteboard: the design size at most") << QRect(0, 0, 3840, 2160) << 1.0 << 1.0;
}

void WindowFitTest::zoomStaysWithinTheBoardsBounds() {
    QFETCH(QRect, area);
    QFETCH(double, least);
    QFETCH(double, most);
    Tavola board;
    const double zoom = board.windowFit().zoomFor(area);
    QVERIFY2(zoom >= least && zoom <= most, qPrintable(QString::number(zoom)));
}

void WindowFitTest::startUpFitCountsTheFrame() {
    Tavola board;
    showFitted(board, Qt::WindowNoState);
    const QRect area = board.screen()->availableGeometry();
    QVERIFY(area.height() < innerSizeAt(1.0).height());
    QTRY_VERIFY2(area.contains(board.frameGeometry()), "the window's frame leaves the screen's free area");
    QVERIFY(board.frameGeometry().height() > area.height() * 9 / 10);
}

void WindowFitTest::fullScreenGivesBackTheEarlierState_data() {
    QTest::addColumn<Qt::WindowStates>("before");
    QTest::newRow("normal") << Qt::WindowStates(Qt::WindowNoState);
    QTest::newRow("maximised") << Qt::WindowStates(Qt::WindowMaximized);
}

void WindowFitTest::fullScreenGivesBackTheEarlierState() {
    QFETCH(Qt::WindowStates, before);
    Tavola board;
    showFitted(board, before);
    board.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&board));
    const QRect earlier = board.geometry();
    QTest::keyClick(&board, Qt::Key_F11);
    waitForState(board, Qt::WindowFullScreen | (before & Qt::WindowMaximized));
    QTest::keyClick(&board, Qt::Key_F11);
    waitForState(board, before);
    QTRY_COMPARE(board.geometry(), earlier);
}

void WindowFitTest::shrunkScreenRefitsOnlyANormalWindowThatNoLongerFits_data() {
    QTest::addColumn<Qt::WindowStates>("state");
    QTest::addColumn<QRect>("area"); // the screen's free area from now on
    QTest::addColumn<bool>("refitted");
    const auto normal = Qt::WindowStates(Qt::WindowNoState);
    QTest::newRow("shrunk below the board") << normal << QRect(300, 200, 400, 380) << true;
    QTest::newRow("shrunk to nothing") << normal << QRect(10, 10, 0, 0) << true;
    QTest::newRow("still room for the board") << normal << QRect(0, 0, 1024, 600) << false;
    QTest::newRow("maximised: the window manager's")
        << Qt::WindowStates(Qt::WindowMaximized) << QRect(300, 200, 400, 380) << false;
}

void WindowFitTest::shrunkScreenRefitsOnlyANormalWindowThatNoLongerFits() {
    QFETCH(Qt::WindowStates, state);
    QFETCH(QRect, area);
    QFETCH(bool, refitted);
    Tavola board;
    showFitted(board, state);
    const QRect before = board.geometry();
    emit board.screen()->availableGeometryChanged(area);
    if (!refitted) {
        QTest::qWait(50);
        QCOMPARE(board.geometry(), before);
        return;
    }
    const QSize smallest = innerSizeAt(BoardScale::kSmallestZoom);
    QTRY_VERIFY(board.surface().width() <= std::max(smallest.width(), area.width()));
    if (area.isEmpty()) {
        QTRY_COMPARE(board.surface().size(), smallest);
        QTRY_COMPARE(board.frameGeometry().topLeft(), area.topLeft());
    } else {
        QTRY_VERIFY2(area.contains(board.frameGeometry()), "the refitted window leaves the area");
    }
}

void WindowFitTest::newGameKeepsTheWindowAsItWas_data() {
    QTest::addColumn<Qt::WindowStates>("state");
    QTest::addColumn<QRect>("geometry"); // of a normal window the player moved and sized
    QTest::newRow("normal, moved and sized")
        << Qt::WindowStates(Qt::WindowNoState) << QRect(40, 30, 500, 520);
    QTest::newRow("maximised") << Qt::WindowStates(Qt::WindowMaximized) << QRect();
    QTest::newRow("full screen") << Qt::WindowStates(Qt::WindowFullScreen) << QRect();
}

void WindowFitTest::newGameKeepsTheWindowAsItWas() {
    QFETCH(Qt::WindowStates, state);
    QFETCH(QRect, geometry);
    TestWorld world;
    world.program.throws = false;
    Game game(world.services());
    game.start();
    Tavola* old = &game.board();
    QVERIFY(QTest::qWaitForWindowExposed(old));
    if (geometry.isValid()) {
        old->setGeometry(geometry);
        QTRY_COMPARE(old->geometry(), geometry);
    }
    old->setWindowState(state);
    waitForState(*old, state);
    const QRect kept = old->geometry();

    world.dialogs.answer({MessageAnswer::Yes, {}, {}});
    game.Next_Click();
    Tavola& board = game.board();
    QVERIFY(&board != old);
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    waitForState(board, state);
    QTRY_COMPARE(board.geometry(), kept);
}

QTEST_MAIN(WindowFitTest)
#include "tst_window_fit.moc"
