#include <QTest>

#include "game/game.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "support/awkward_names.h"
#include "support/doubles.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

class RecordNamesTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void typedNameIsStoredAndShownBackAsTyped_data() { addAwkwardNameRows(); }
    void typedNameIsStoredAndShownBackAsTyped();
    void recordLabelsShowRichTextAsTyped_data();
    void recordLabelsShowRichTextAsTyped();
};

void RecordNamesTest::typedNameIsStoredAndShownBackAsTyped() {
    QFETCH(QString, name);
    const RecordFolder records;
    {
        TestWorld world;
        world.dialogs.answerText(name);
        Game game(world.services(), brivadoro::readSettings());
        game.start();
        QVERIFY(world.dialogs.shown.at(1).text.startsWith(u' ' + name));
        QCOMPARE(game.board().lblnome1().caption(), name);
        game.board().Punteggio().setCaption(u" 3"_s);
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, game.cmdExit_Click());
        QCOMPARE(world.program.endedWith, 0);
    }
    QCOMPARE(records.read(kNameFileName), name.toUtf8() + "\r\n");

    TestWorld next;
    Game game(next.services(), brivadoro::readSettings());
    game.start();
    QCOMPARE(next.dialogs.shown.size(), 2u); // the name box and the greeting, no message
    QCOMPARE(game.board().lblnome().caption(), name + u"\r\n"_s);
    QCOMPARE(game.board().lblpunti().caption(), u" 3\r\n"_s);
}

void RecordNamesTest::recordLabelsShowRichTextAsTyped_data() {
    QTest::addColumn<QString>("label");
    QTest::newRow("record holder") << u"lblnome"_s;
    QTest::newRow("record score") << u"lblpunti"_s;
    QTest::newRow("player") << u"lblnome1"_s;
}

void RecordNamesTest::recordLabelsShowRichTextAsTyped() {
    QFETCH(QString, label);
    TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.Form_Load();
    BoardLabel& shown = game.board().label(label);
    shown.setCaption(u"<b>Anna</b><img src=x>"_s);
    QCOMPARE(shown.textFormat(), Qt::PlainText);
}

QTEST_MAIN(RecordNamesTest)
#include "tst_record_names.moc"
