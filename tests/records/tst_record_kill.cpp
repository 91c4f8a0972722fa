#include <algorithm>

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include "board/board_state.h"
#include "cycled_records.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "records/record_text.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

constexpr int kKills = 300;
constexpr int kStartMs = 10'000;
// Kills fall at random within this many times the writer's own time for one write, so that most
// land inside the write and every step of it is hit many times over.
constexpr double kKillSpread = 1.25;

// The number of the cycled record whose line the bytes are; -1 when they are no whole line of any.
qsizetype recordNumber(const QByteArray& bytes, bool name) {
    const auto records = cycledRecords();
    const auto* const found = std::find_if(records.begin(), records.end(), [&](const auto& record) {
        return encodeRecordLine(name ? record.second : record.first) == bytes;
    });
    return found == records.end() ? -1 : found - records.begin();
}

} // namespace

class RecordKillTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void killWhileWritingLeavesAWholePair();
};

// A writer killed at a random moment of its write, many times over; after each kill, a start-up
// finishes or discards what the writer left, and then the pair is the old one or the new one,
// whole, with nothing beside it.
void RecordKillTest::killWhileWritingLeavesAWholePair() {
    const RecordFolder records;
    const auto cycleSize = qsizetype(cycledRecords().size());
    QCOMPARE(testing::openChosenRecordFiles().error, QString());
    const QString helper = QCoreApplication::applicationDirPath() + u"/record_writer_helper"_s;
    QRandomGenerator dice(20240611);
    qsizetype stored = 0;
    int unchanged = 0;
    int replaced = 0;
    qint64 longestWriteUs = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const qsizetype next = (stored + 1) % cycleSize;
        QProcess writer;
        writer.start(helper, {records.folder(), QString::number(stored), QString::number(next)});
        QVERIFY2(writer.waitForReadyRead(kStartMs), qPrintable(writer.errorString()));
        const QByteArray ready = writer.readLine().trimmed();
        QVERIFY2(ready.startsWith("ready "), ready.constData());
        const qint64 writeUs = ready.mid(6).toLongLong();
        longestWriteUs = std::max(longestWriteUs, writeUs);
        writer.write("go\n");
        QVERIFY(writer.waitForBytesWritten(kStartMs));
        QThread::usleep(dice.bounded(quint64(double(writeUs) * kKillSpread) + 1));
        writer.kill();
        QVERIFY(writer.waitForFinished(kStartMs));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        const RecordsAtStartup shown = testing::openChosenRecordFiles();
        QVERIFY2(shown.error.isEmpty(), qPrintable(shown.error));
        QCOMPARE(records.entries(), RecordFolder::pairAndLock());
        const qsizetype score = recordNumber(records.read(kScoreFileName), false);
        const qsizetype name = recordNumber(records.read(kNameFileName), true);
        QVERIFY2(score >= 0 && name >= 0, "a record file is not one whole line");
        QVERIFY2(score == name,
                 qPrintable(u"kill %1: score %2 beside name %3"_s.arg(kill).arg(score).arg(name)));
        QVERIFY(score == stored || score == next);
        ++(score == stored ? unchanged : replaced);
        stored = score;
    }
    qInfo("%d kills within %.2f of a write (the longest %lld us): %d old pairs whole, %d new pairs whole, "
          "0 split",
          kKills, kKillSpread, qlonglong(longestWriteUs), unchanged, replaced);
}

QTEST_MAIN(RecordKillTest)
#include "tst_record_kill.moc"
