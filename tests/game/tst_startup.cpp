#include <QtTest>

#include "game/game.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "support/doubles.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

constexpr QStringView kGreetingEnd = u" vediamo se sei un vero campione  ";

// The draws of a start-up: two questions before the window shows, the six first numbers, a third
// question.
constexpr std::initializer_list<float> kStartUpDraws{0.5F,      0.5F,  0.5F,      0.5F, 0.0F, 0.5F,
                                                     0.999999F, 0.25F, 0.999999F, 0.1F, 0.5F, 0.5F};

bool allTargetsHidden(Tavola& board) {
    return std::all_of(kAllTargets.begin(), kAllTargets.end(),
                       [&](TargetId id) { return board.target(id).isHidden(); });
}

} // namespace

class StartUpTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void startUpAsksGreetsAndPreparesAGame();
    void firstNumbersFollowTheirTableAndReseeds();
    void storedRecordIsShownAsRead();
    void unusableRecordFolderIsToldAndTheGameGoesOn();

    void answeringNoToANewGameChangesNothing();
    void answeringYesStartsAfreshButKeepsTheBoardState();
    void minimisingSetsTheTitleAndRestoringKeepsIt();
    void closeBoxEndsAtOnceWritingNothing();
};

void StartUpTest::startUpAsksGreetsAndPreparesAGame() {
    RecordFolder records;
    TestWorld world;
    world.dialogs.answerText(u"  <b>Anna</b> "_s);
    Game game(world.services(), brivadoro::readSettings());
    game.start();

    const std::vector<ShownBox>& shown = world.dialogs.shown;
    QCOMPARE(shown.size(), std::size_t(2));
    QCOMPARE(shown[0].kind, ShownBox::Kind::Input);
    QCOMPARE(shown[0].text, u"Come ti chiami?");
    QCOMPARE(shown[0].title, u"Brivadoro");
    QCOMPARE(shown[1].text, u"   <b>Anna</b> "_s + kGreetingEnd.toString());
    QCOMPARE(shown[1].style, MessageStyle::Ok);

    Tavola& board = game.board();
    QVERIFY(board.isVisible());
    QCOMPARE(board.lblnome1().caption(), u"  <b>Anna</b> ");
    QCOMPARE(board.lblconto().caption(), u"00:05:00");
    QCOMPARE(board.Punteggio().caption(), u"0");
    QCOMPARE(game.state().score.value(), 0);
    QCOMPARE(game.state().secondsLeft.value(), 300);
    QVERIFY(board.Timer1().enabled());
    QVERIFY(!board.Timer2().enabled());
    QVERIFY(allTargetsHidden(board));
    // A first run creates both files empty and shows them so.
    QCOMPARE(records.read(kScoreFileName), QByteArray(""));
    QCOMPARE(records.read(kNameFileName), QByteArray(""));
    QVERIFY(board.lblpunti().caption().isEmpty());
    QVERIFY(board.lblnome().caption().isEmpty());
    QCOMPARE(game.state().windowsDir, records.folder());
    // Three questions, each after a reseed from the clock.
    const auto clockReseeds =
        std::count_if(world.random.events.begin(), world.random.events.end(),
                      [](const auto& e) { return e.kind == ScriptedRandom::Event::Kind::ReseedFromClock; });
    QCOMPARE(clockReseeds, 3);
}

void StartUpTest::firstNumbersFollowTheirTableAndReseeds() {
    RecordFolder records;
    TestWorld world;
    world.random.script(kStartUpDraws);
    Game game(world.services(), brivadoro::readSettings());
    game.start();
    Tavola& board = game.board();
    QCOMPARE(board.target(TargetId::disparicmd).caption(), u"5");    // r = 0: the least
    QCOMPARE(board.target(TargetId::disparicmd1).caption(), u"206"); // floor(51) * 4 + 2
    QCOMPARE(board.target(TargetId::disparicmd2).caption(), u"403"); // the largest
    QCOMPARE(board.target(TargetId::paricmd).caption(), u"104");
    QCOMPARE(board.target(TargetId::paricmd1).caption(), u"600");
    QCOMPARE(board.target(TargetId::paricmd2).caption(), u"44");
    QCOMPARE(world.random.reseeds(), (std::vector<double>{0, 0, 0, 0, 0, 600}));
}

void StartUpTest::storedRecordIsShownAsRead() {
    RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    records.write(kNameFileName, "Zoë\r\n");
    TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.start();
    QCOMPARE(game.board().lblpunti().caption(), u" 12\r\n");
    QCOMPARE(game.board().lblnome().caption(), u"Zoë\r\n");
    QCOMPARE(records.read(kScoreFileName), QByteArray(" 12\r\n")); // opening changes nothing
}

void StartUpTest::unusableRecordFolderIsToldAndTheGameGoesOn() {
    RecordFolder records;
    QFile blocker(records.home() + u"/brivadoro"_s); // a file where the folder should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    world.dialogs.answerText(u"Anna"_s);
    world.dialogs.answer({});
    // Nothing may tick while the message is open: the board is not shown yet.
    std::optional<bool> clockRanWhileOpen;
    world.dialogs.answer(
        {MessageAnswer::Ok, {}, [&] { clockRanWhileOpen = game.board().Timer1().enabled(); }});
    game.start();
    QCOMPARE(world.dialogs.shown.size(), std::size_t(3));
    QVERIFY(world.dialogs.shown[2].text.contains(records.home()));
    QCOMPARE(clockRanWhileOpen, std::optional<bool>(false));
    QVERIFY(game.board().isVisible());
    QVERIFY(game.board().Timer1().enabled());
    QCOMPARE(game.board().lblconto().caption(), u"00:05:00");
    QVERIFY(game.board().lblpunti().caption().isEmpty());
    QVERIFY(!world.program.endedWith);
}

void StartUpTest::answeringNoToANewGameChangesNothing() {
    RecordFolder records;
    TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.start();
    Tavola& board = game.board();
    game.Form_Click();
    game.Timer1_Timer();
    const QString clock = board.lblconto().caption();
    const QString numbers = board.target(TargetId::paricmd).caption();
    world.forget();

    game.Next_Click(); // no answer scripted: Enter presses No, the default button
    QCOMPARE(world.dialogs.shown.size(), std::size_t(1));
    QCOMPARE(world.dialogs.shown[0].text, u"INIZIAMO UNA NUOVA GARA  ?");
    QCOMPARE(world.dialogs.shown[0].title, u"INIZIARE NUOVA GARA");
    QCOMPARE(world.dialogs.shown[0].style, 292);
    QCOMPARE(&game.board(), &board);
    QVERIFY(board.Timer1().enabled() && board.Timer2().enabled());
    QCOMPARE(board.lblconto().caption(), clock);
    QCOMPARE(board.target(TargetId::paricmd).caption(), numbers);
    QVERIFY(world.random.events.empty());
}

void StartUpTest::answeringYesStartsAfreshButKeepsTheBoardState() {
    RecordFolder records;
    TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.start();
    QPointer<Tavola> old = &game.board();
    game.Form_Click();
    game.state().score = 50;
    old->Punteggio().setCaption(u" 50"_s);
    game.state().paricmd2Number = 88;
    game.state().disparicmd2Number = 77;
    world.forget();

    world.dialogs.answer({MessageAnswer::Yes, {}, {}});
    // The old window, hidden but not yet deleted, may still resize or close: the game no longer hears it.
    world.dialogs.answer({MessageAnswer::Ok, u"Bruno"_s, [&] { emit old->resized(); }});
    game.Next_Click();
    emit old->closeRequested();
    QVERIFY(!world.program.endedWith);

    QCOMPARE(world.dialogs.shown.at(1).text, u"Come ti chiami?");
    Tavola& board = game.board();
    QVERIFY(&board != old.data());
    QVERIFY(old && old->isHidden() && !old->Timer1().enabled() && !old->Timer2().enabled());
    QCOMPARE(board.lblnome1().caption(), u"Bruno");
    QCOMPARE(board.Punteggio().caption(), u"0");
    QCOMPARE(board.lblconto().caption(), u"00:05:00");
    QVERIFY(board.Timer1().enabled() && !board.Timer2().enabled());
    QVERIFY(allTargetsHidden(board));
    QCOMPARE(game.state().paricmd2Number.value(), 88);
    QCOMPARE(game.state().disparicmd2Number.value(), 77);
    QCOMPARE(records.read(kScoreFileName), QByteArray("")); // the abandoned 50 is no record
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!old);
}

void StartUpTest::minimisingSetsTheTitleAndRestoringKeepsIt() {
    RecordFolder records;
    TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.start();
    Tavola& board = game.board();
    const QString score = board.Punteggio().caption();
    board.setWindowTitle(u"altro"_s);
    board.showMinimized();
    QCOMPARE(board.windowTitle(), u"Brivadoro");
    board.setWindowTitle(u"altro"_s);
    board.showNormal();
    board.activateWindow();
    QCOMPARE(board.windowTitle(), u"altro");
    QCOMPARE(board.Punteggio().caption(), score); // no second activation zeroes the score
}

void StartUpTest::closeBoxEndsAtOnceWritingNothing() {
    RecordFolder records;
    records.write(kScoreFileName, " 3\r\n");
    TestWorld world;
    world.program.throws = false;
    Game game(world.services(), brivadoro::readSettings());
    game.start();
    game.board().Punteggio().setCaption(u" 9"_s);
    world.forget();
    game.board().close();
    QCOMPARE(world.program.endedWith, std::optional<int>(0));
    QVERIFY(world.dialogs.shown.empty());
    QCOMPARE(records.read(kScoreFileName), QByteArray(" 3\r\n"));
}

QTEST_MAIN(StartUpTest)
#include "tst_startup.moc"
