#include <algorithm>

#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>

#include "cycled_records.h"
#include "records/record_files.h"
#include "records/record_text.h"
#include "support/record_folder.h"
#include "support/test_main.h"

using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

constexpr int kKills = 300;
constexpr int kLongestWaitUs = 20'000;
constexpr int kStartMs = 10'000;

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

// A writer killed at random moments, many times over: each file is always one whole line, and the
// pair is old or new whole, except for a kill exactly between the two renames, which leaves the new
// score beside the old name and never the other way round.
void RecordKillTest::killWhileWritingLeavesAWholePair() {
    const RecordFolder records;
    const auto cycle = cycledRecords();
    const auto cycleSize = qsizetype(cycle.size());
    QVERIFY(QDir().mkpath(records.folder()));
    writeRecordPair(records.folder(), cycle[0].first, cycle[0].second);
    const QString helper = QCoreApplication::applicationDirPath() + u"/record_writer_helper"_qs;
    QRandomGenerator dice(20240611);
    qsizetype stored = 0; // the record stored whole before each kill
    int unchanged = 0;
    int replaced = 0;
    int split = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess writer;
        writer.start(helper, {records.folder(), QString::number((stored + 1) % cycleSize)});
        QVERIFY2(writer.waitForReadyRead(kStartMs), qPrintable(writer.errorString()));
        QThread::usleep(dice.bounded(kLongestWaitUs));
        writer.kill();
        QVERIFY(writer.waitForFinished(kStartMs));
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        const qsizetype score = recordNumber(records.read(kScoreFileName), false);
        const qsizetype name = recordNumber(records.read(kNameFileName), true);
        QVERIFY2(score >= 0 && name >= 0, "a record file is not one whole line");
        if (score == name) {
            ++(score == stored ? unchanged : replaced);
        } else {
            QCOMPARE(score, (name + 1) % cycleSize);
            ++split;
            // Whole again, so that the next kill's outcome is its own.
            writeRecordPair(records.folder(), cycle[score].first, cycle[score].second);
        }
        stored = score;
    }
    // At most the staging files of the last killed writer stay beside the pair.
    QStringList expected{kScoreFileName.toString(), kNameFileName.toString()};
    expected << expected[0] + u".nuovo"_qs << expected[1] + u".nuovo"_qs;
    const QStringList left = records.entries();
    QVERIFY2(
        std::all_of(left.begin(), left.end(), [&](const QString& entry) { return expected.contains(entry); }),
        qPrintable(left.join(u", ")));
    qInfo("%d kills: %d old pairs whole, %d new pairs whole, %d new scores beside the old name; "
          "%lld staging files left",
          kKills, unchanged, replaced, split, qlonglong(left.size() - 2));
}

QTEST_MAIN(RecordKillTest)
#include "tst_record_kill.moc"
