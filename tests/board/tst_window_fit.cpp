#include <QScreen>
#include <QtTest>

#include "board/tavola.h"
#include "support/test_main.h"

using namespace brivadoro;
using States = Qt::WindowStates;

// The board's window on a netbook's 1024x600 offscreen screen (see CMakeLists.txt), where a window's
// frame is 2 pixels all round.
class WindowFitTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testing::configureTestApplication(); }
    void zoomStaysWithinTheBoardsBounds();
    void startUpFitCountsTheFrame();
    void fullScreenGivesBackTheEarlierState_data();
    void fullScreenGivesBackTheEarlierState();
    void shrunkAreaRefitsOnlyANormalWindowThatNoLongerFits_data();
    void shrunkAreaRefitsOnlyANormalWindowThatNoLongerFits();
};

namespace {

// Waits until the window is in state, at the size the state gives it.
void waitForState(const Tavola& board, States state) {
    QTRY_COMPARE(board.windowState(), state);
    if (state.testFlag(Qt::WindowFullScreen))
        QTRY_COMPARE(board.geometry(), board.screen()->geometry());
    else if (state.testFlag(Qt::WindowMaximized))
        QTRY_COMPARE(board.frameGeometry(), board.screen()->availableGeometry());
}

void showFitted(Tavola& board, States state) {
    board.windowFit().startAs(WindowStart::Fitted);
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    board.setWindowState(state);
    waitForState(board, state);
}

} // namespace

// An area with no room at all, as a window not yet shown has, still gives the smallest zoom, never 0.
void WindowFitTest::zoomStaysWithinTheBoardsBounds() {
    Tavola board;
    QCOMPARE(board.windowFit().zoomFor(QRect(0, 0, -300, -20)), BoardScale::kSmallestZoom);
    QCOMPARE(board.windowFit().zoomFor(QRect(0, 0, 3840, 2160)), 1.0);
}

void WindowFitTest::startUpFitCountsTheFrame() {
    Tavola board;
    showFitted(board, Qt::WindowNoState);
    const QRect area = board.screen()->availableGeometry();
    QTRY_VERIFY2(area.contains(board.frameGeometry()), "the window's frame leaves the screen's free area");
    QVERIFY(board.frameGeometry().height() > area.height() * 9 / 10);
}

void WindowFitTest::fullScreenGivesBackTheEarlierState_data() {
    QTest::addColumn<States>("before");
    QTest::newRow("normal") << States(Qt::WindowNoState);
    QTest::newRow("maximised") << States(Qt::WindowMaximized);
}

void WindowFitTest::fullScreenGivesBackTheEarlierState() {
    QFETCH(States, before);
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

void WindowFitTest::shrunkAreaRefitsOnlyANormalWindowThatNoLongerFits_data() {
    QTest::addColumn<States>("state");
    QTest::addColumn<QRect>("area"); // the screen's free area from now on
    QTest::addColumn<bool>("refitted");
    QTest::newRow("shrunk below the board") << States() << QRect(300, 200, 400, 380) << true;
    QTest::newRow("shrunk to nothing") << States() << QRect(10, 10, 0, 0) << true;
    QTest::newRow("still room for the board") << States() << QRect(0, 0, 1024, 600) << false;
    QTest::newRow("maximised") << States(Qt::WindowMaximized) << QRect(300, 200, 400, 380) << false;
}

void WindowFitTest::shrunkAreaRefitsOnlyANormalWindowThatNoLongerFits() {
    QFETCH(States, state);
    QFETCH(QRect, area);
    QFETCH(bool, refitted);
    Tavola board;
    showFitted(board, state);
    const QRect before = board.geometry();
    emit board.screen()->availableGeometryChanged(area);
    QCoreApplication::processEvents(); // the platform's answer to a resize
    if (!refitted)
        QCOMPARE(board.geometry(), before);
    else if (BoardScale smallest; area.isEmpty()) {
        smallest.setZoom(BoardScale::kSmallestZoom);
        QTRY_COMPARE(board.surface().size(), smallest.innerSize());
        QTRY_COMPARE(board.frameGeometry().topLeft(), area.topLeft());
    } else
        QTRY_VERIFY2(area.contains(board.frameGeometry()), "the refitted window leaves the area");
}

QTEST_MAIN(WindowFitTest)
#include "tst_window_fit.moc"
