#include <QFontInfo>
#include <QMenuBar>
#include <QSignalSpy>
#include <QtTest>

#include "game/game.h"
#include "support/doubles.h"
#include "support/loaded_game.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

QRgb stripeColour(int red, int green, int blue) {
    return qRgb(red, green, blue);
}

// Clicks the window at a widget's centre, so that Qt finds the receiver as it would for the player.
void clickOn(Tavola& board, QWidget& widget, QPoint offset = {}) {
    const QPoint at = widget.mapTo(&board, widget.rect().center() + offset);
    QTest::mouseClick(board.windowHandle(), Qt::LeftButton, {}, at);
}

} // namespace

class BoardTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void controlsStartAsDesigned_data();
    void controlsStartAsDesigned();
    void innerAreaAndTitleAreFixed();
    void onlyTheExitButtonTakesTheFocusBeforeTheLaunch();
    void menuCarriesTheRulesAndTheNewGame();
    void boardFontsResolveToInstalledStandIns();
    void buttonsLieAboveLabels();
    void autoSizeLabelsFitTheirCaption();

    void newQuestionRedrawsAZeroFirstDigit();
    void backdropStripesRunFromTheDigitsColourToBlue_data();
    void backdropStripesRunFromTheDigitsColourToBlue();
    void targetsArePlacedInTheQuestionsScale();
    void newQuestionMakesParicmd2CyanAgain();

    void clickOnTheGreyedStartButtonReachesTheBoard();
    void clickOnAShownLabelOrTheExitButtonIsNotTheBoards();
};

void BoardTest::controlsStartAsDesigned_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("exit") << "cmdExit"
                          << "E&xit" << true << true << QPoint(408, 0);
    QTest::newRow("start") << "cmdNext"
                           << "&Clicca per iniziare" << true << false << QPoint(200, 0);
    QTest::newRow("unused start") << "Inizio"
                                  << "Inizio" << false << true << QPoint(256, 8);
    QTest::newRow("wrong target") << "disparicmd1"
                                  << "63" << false << true << QPoint(456, 344);
    QTest::newRow("right target") << "paricmd"
                                  << "" << false << true << QPoint(160, 104);
    QTest::newRow("heading") << "Label6"
                             << "Punti complessivi" << true << true << QPoint(-8, 0);
    QTest::newRow("score") << "Punteggio"
                           << "0" << true << true << QPoint(64, 72);
    QTest::newRow("record text") << "Label12"
                                 << "Il record  è di " << true << true << QPoint(8, 528);
    QTest::newRow("clock") << "lblconto"
                           << "00.00.00" << true << true << QPoint(8, 160);
    QTest::newRow("player") << "lblnome1"
                            << "" << true << true << QPoint(128, 304);
    QTest::newRow("holder") << "lblnome"
                            << "nome" << true << true << QPoint(176, 528);
    QTest::newRow("digit") << "lblNum1"
                           << "" << false << false << QPoint(456, 112);
    QTest::newRow("equals") << "Label4"
                            << "=" << false << false << QPoint(488, 136);
    QTest::newRow("errors heading") << "Label1"
                                    << "Risposte errate" << false << true << QPoint(384, 208);
}

void BoardTest::controlsStartAsDesigned() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    QFETCH(QPoint, position);
    Tavola board;
    auto* control = board.findChild<QWidget*>(name);
    QVERIFY(control);
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        QCOMPARE(button->text(), caption);
    else
        QCOMPARE(qobject_cast<QLabel*>(control)->text(), caption);
    QCOMPARE(control->isVisibleTo(&board), visible);
    QCOMPARE(control->isEnabled(), enabled);
    QCOMPARE(control->pos(), position);
}

void BoardTest::innerAreaAndTitleAreFixed() {
    Tavola board;
    QCOMPARE(board.windowTitle(), u"Brivadoro");
    QCOMPARE(board.surface().size(), QSize(608, 672));
    QCOMPARE(board.Timer1().interval(), 1000);
    QCOMPARE(board.Timer1().timerType(), Qt::PreciseTimer);
    QVERIFY(board.Timer1().enabled());
    QCOMPARE(board.Timer2().interval(), 1300);
    QVERIFY(!board.Timer2().enabled());
    for (TargetId id : kAllTargets) {
        QCOMPARE(board.target(id).backColor(), Colours::Cyan);
        QCOMPARE(board.target(id).palette().color(QPalette::Button), QColor(0, 255, 255));
    }
    QCOMPARE(board.cmdExit().palette().color(QPalette::Button), QColor(0xC0, 0, 0xC0));
}

void BoardTest::onlyTheExitButtonTakesTheFocusBeforeTheLaunch() {
    Tavola board;
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    board.cmdExit().setFocus();
    QTest::keyClick(&board.cmdExit(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), &board.cmdExit());
    // The targets' tab indexes run 19, 20, 28..31 once they are shown.
    for (TargetId id : kAllTargets)
        board.target(id).show();
    board.cmdExit().setFocus();
    QTest::keyClick(&board.cmdExit(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), u"paricmd1");
}

void BoardTest::menuCarriesTheRulesAndTheNewGame() {
    Tavola board;
    QStringList bar;
    for (QAction* action : board.menuBar()->actions())
        bar << action->objectName();
    QCOMPARE(bar, (QStringList{u"INFOMAZIONI"_s, u"copy"_s, u"Next"_s, u"hf"_s}));
    QCOMPARE(board.findChild<QAction*>(u"Next"_s)->text(), u"Nuovo gioco");
    QCOMPARE(board.findChild<QAction*>(u"ok"_s)->text(), u"Ogni errore  ti farà perdere 4 punti.");
    QCOMPARE(board.findChild<QMenu*>(u"hf"_s)->actions().size(), 4);
    QSignalSpy newGame(&board, &Tavola::newGameChosen);
    board.findChild<QAction*>(u"Next"_s)->trigger();
    board.findChild<QAction*>(u"Ciao"_s)->trigger();
    QCOMPARE(newGame.count(), 1);
}

void BoardTest::boardFontsResolveToInstalledStandIns() {
    Tavola board;
    QCOMPARE(QFontInfo(board.Punteggio().font()).family(), u"Liberation Sans");
    QCOMPARE(QFontInfo(board.label(u"lblScore").font()).family(), u"Liberation Serif");
    QCOMPARE(QFontInfo(board.lblconto().font()).family(), u"Liberation Sans");
    QVERIFY(QFontInfo(board.lblconto().font()).bold());
    QCOMPARE(QFontInfo(board.target(TargetId::paricmd).font()).pointSizeF(), 24.0);
}

void BoardTest::buttonsLieAboveLabels() {
    Tavola board;
    const QObjectList stack = board.surface().children();
    qsizetype highestLabel = -1;
    qsizetype lowestButton = stack.size();
    for (qsizetype i = 0; i < stack.size(); ++i) {
        if (qobject_cast<QLabel*>(stack[i]))
            highestLabel = i;
        else if (qobject_cast<QPushButton*>(stack[i]))
            lowestButton = std::min(lowestButton, i);
    }
    QVERIFY(highestLabel >= 0 && highestLabel < lowestButton);
}

void BoardTest::autoSizeLabelsFitTheirCaption() {
    Tavola board;
    const QString longName = u"Massimiliano Bartolomeo"_s;
    board.lblnome1().setCaption(longName);
    QVERIFY(board.lblnome1().width() >= board.lblnome1().fontMetrics().horizontalAdvance(longName));
    QCOMPARE(board.lblnome1().pos(), QPoint(128, 304));
    board.lblnome1().setCaption({});
    QVERIFY(board.lblnome1().width() < 20);
    board.label(u"Label12").setCaption(longName); // not auto-size: keeps its stored width
    QCOMPARE(board.label(u"Label12").width(), 2295 / 15);
}

void BoardTest::newQuestionRedrawsAZeroFirstDigit() {
    LoadedGame loaded;
    auto& [world, game, board] = loaded;
    world.random.script({0.0F, 0.05F, 0.95F, 0.0F});
    game.cmdNext_Click();
    QCOMPARE(game.state().digit1.value(), 9);
    QCOMPARE(game.state().digit2.value(), 0);
    QCOMPARE(game.board().lblNum1().caption(), u"9");
    QCOMPARE(game.board().lblNum2().caption(), u"0");
    QCOMPARE(world.random.events.front().kind, ScriptedRandom::Event::Kind::ReseedFromClock);
    QCOMPARE(world.random.events.size(), std::size_t(5));
}

void BoardTest::backdropStripesRunFromTheDigitsColourToBlue_data() {
    QTest::addColumn<float>("first");
    QTest::addColumn<float>("second");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::newRow("9 and 9") << 0.95F << 0.99F << 180 << 180;
    QTest::newRow("1 and 0") << 0.1F << 0.0F << 20 << 0;
    QTest::newRow("5 and 3") << 0.5F << 0.3F << 100 << 60;
}

void BoardTest::backdropStripesRunFromTheDigitsColourToBlue() {
    QFETCH(float, first);
    QFETCH(float, second);
    QFETCH(int, red);
    QFETCH(int, green);
    LoadedGame loaded;
    auto& [world, game, board] = loaded;
    world.random.script({first, second});
    game.cmdNext_Click();
    const QImage& image = game.board().surface().backdrop();
    QCOMPARE(image.pixel(0, 0), stripeColour(red, green, 0));
    QCOMPARE(image.pixel(image.width() - 1, 1), stripeColour(red, green, 0));
    QCOMPARE(image.pixel(300, image.height() - 1), stripeColour(red, green, 255));
    QCOMPARE(image.pixel(300, image.height() / 2), stripeColour(red, green, 128));
}

void BoardTest::targetsArePlacedInTheQuestionsScale() {
    TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.Form_Load();
    Tavola& board = game.board();
    QCOMPARE(board.target(TargetId::paricmd).pos(), QPoint(160, 104)); // design twips until the question
    game.cmdNext_Click();
    QCOMPARE(board.target(TargetId::paricmd).pos(), QPoint(160, 104)); // the new scale moves nothing
    QCOMPARE(board.targetLeft(TargetId::paricmd), 160.0F);
    board.setTargetTop(TargetId::paricmd, 256);
    board.setTargetLeft(TargetId::paricmd, 100);
    QCOMPARE(board.target(TargetId::paricmd).pos(), QPoint(100, 336));
    board.setTargetTop(TargetId::disparicmd, 512);
    QCOMPARE(board.target(TargetId::disparicmd).y(), board.surface().height());
}

void BoardTest::newQuestionMakesParicmd2CyanAgain() {
    TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.Form_Load();
    game.board().target(TargetId::paricmd2).setBackColor(Colours::Red);
    game.board().lblMessage().setCaption(u"vecchio"_s);
    game.cmdNext_Click();
    QCOMPARE(game.board().target(TargetId::paricmd2).backColor(), Colours::Cyan);
    QCOMPARE(game.board().target(TargetId::paricmd2).palette().color(QPalette::Button), QColor(0, 255, 255));
    QVERIFY(game.board().lblMessage().caption().isEmpty());
}

void BoardTest::clickOnTheGreyedStartButtonReachesTheBoard() {
    Tavola board;
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    QSignalSpy boardClicks(&board, &Tavola::boardClicked);
    clickOn(board, board.cmdNext());
    QCOMPARE(boardClicks.count(), 1);
    clickOn(board, board.target(TargetId::paricmd)); // hidden: the board lies beneath
    QCOMPARE(boardClicks.count(), 2);
}

void BoardTest::clickOnAShownLabelOrTheExitButtonIsNotTheBoards() {
    Tavola board;
    board.show();
    QVERIFY(QTest::qWaitForWindowExposed(&board));
    QSignalSpy boardClicks(&board, &Tavola::boardClicked);
    QSignalSpy exitClicks(&board, &Tavola::exitClicked);
    clickOn(board, board.label(u"Label14"));
    clickOn(board, board.Punteggio());
    QCOMPARE(boardClicks.count(), 0);
    clickOn(board, board.cmdExit());
    QCOMPARE(exitClicks.count(), 1);
    QCOMPARE(boardClicks.count(), 0);
}

QTEST_MAIN(BoardTest)
#include "tst_board.moc"
