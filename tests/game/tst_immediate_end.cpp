#include <QProcess>
#include <QTest>

#include "records/record_pair.h"
#include "records/record_paths.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::testing::RecordFolder;

class ImmediateEndTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testing::configureTestApplication(); }

    void realEndStopsEveryInterruptedHandlerWithStatus0();
};

void ImmediateEndTest::realEndStopsEveryInterruptedHandlerWithStatus0() {
    const RecordFolder records;
    records.write(kScoreFileName, " 12\r\n");
    QProcess helper;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    helper.setProcessEnvironment(environment);
    helper.start(QCoreApplication::applicationDirPath() + u"/end_of_game_helper"_s);
    QVERIFY2(helper.waitForFinished(30'000), qPrintable(helper.errorString()));

    const QByteArray output = helper.readAllStandardOutput();
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 0);
    QVERIFY2(output.contains("warning open"), output.constData());
    QVERIFY2(!output.contains("resumed"), output.constData());
    QCOMPARE(records.read(kScoreFileName), QByteArray(" 15\r\n"));
    QCOMPARE(records.read(kNameFileName), QByteArray("Zo\xC3\xAB\r\n"));
}

QTEST_MAIN(ImmediateEndTest)
#include "tst_immediate_end.moc"
