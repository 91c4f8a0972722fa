#include <QTest>

#include "records/record_paths.h"
#include "report/report_command.h"
#include "report/report_csv.h"
#include "report/report_table.h"
#include "report_files.h"
#include "support/diary_files.h"
#include "support/environment_value.h"
#include "support/record_folder.h"
#include "toolkit/program_control.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::testing::diaryBytes;
using brivadoro::testing::diaryGame;
using brivadoro::testing::EnvironmentValue;
using brivadoro::testing::pdfText;
using brivadoro::testing::readFile;
using brivadoro::testing::RecordFolder;
using brivadoro::testing::writeDiaryFile;

namespace {

// Where the report is asked to go wrong.
enum class Setup { EmptyDiary, NoFolderYet, UnusableRecordFolder, FileForDiary, UnwritableOutput, TornLine };

CommandLineAnswer reportIn(RecordFolder& records, Setup setup, const QString& output) {
    if (setup == Setup::FileForDiary)
        records.write(u"diario", "Anna\n");
    else if (setup != Setup::NoFolderYet)
        testing::diaryFolder(records);
    std::optional<EnvironmentValue> recordDir;
    if (setup == Setup::UnusableRecordFolder)
        recordDir.emplace("BRIVADORO_RECORD_DIR", records.home() + u"/non-c-e"_s);
    if (setup == Setup::TornLine)
        writeDiaryFile(records, u"anna"_s,
                       diaryBytes({diaryGame(u"Anna"_s, 3)}) + "2026-12-10T12:00\n" +
                           encodeDiaryLine(diaryGame(u"Anna"_s, 5)));
    const QString file = setup == Setup::UnwritableOutput
                             ? records.home() + u"/manca/"_s + QFileInfo(output).fileName()
                             : output;
    return reportDiary(readSettings(), {{}, file});
}

QByteArray quoted(QByteArrayView cell) {
    return '"' + cell.toByteArray() + '"';
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT

private slots:
    // No cell the pupils typed reaches a spreadsheet as a formula, and numbers stay numbers.
    void csvCellsStayText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("cell");
        QTest::newRow("formula") << u"=SOMMA(A1)"_s << "'=SOMMA(A1)"_ba;
        QTest::newRow("plus") << u"+39 333"_s << "'+39 333"_ba;
        QTest::newRow("minus") << u"-x"_s << "'-x"_ba;
        QTest::newRow("at") << u"@nome"_s << "'@nome"_ba;
        QTest::newRow("tab") << u"\tx"_s << "'\tx"_ba;
        QTest::newRow("carriage return") << u"\r=1"_s << "\"'\r=1\""_ba;
        QTest::newRow("full-width equals") << u"＝1"_s << "'＝1"_ba;
        QTest::newRow("negative score") << u"-4"_s << "-4"_ba;
        QTest::newRow("signed number") << u"+5"_s << "+5"_ba;
        QTest::newRow("decimal comma") << u"-3,5"_s << "-3,5"_ba;
        QTest::newRow("separator") << u"a;b"_s << quoted("a;b");
        QTest::newRow("formula with separator") << u"=a;b"_s << quoted("'=a;b");
        QTest::newRow("quotes") << u"Zoë \"la\""_s << "\"Zoë \"\"la\"\"\""_ba;
        QTest::newRow("line feed") << u"a\nb"_s << "\"a\nb\""_ba;
    }
    void csvCellsStayText() {
        QFETCH(QString, text);
        QFETCH(QByteArray, cell);
        QCOMPARE(csvCell(text), cell);
    }

    // The mean and the trend take the last five games in the order they were played.
    void trendAndMeanOfTheLastFive_data() {
        QTest::addColumn<QList<int>>("scores");
        QTest::addColumn<Trend>("trend");
        QTest::addColumn<double>("mean");
        QTest::newRow("one game") << QList{10} << Trend::Unknown << 10.0;
        QTest::newRow("a point a game is rising") << QList{10, 11} << Trend::Rising << 10.5;
        QTest::newRow("half a point a game is steady") << QList{10, 10, 11} << Trend::Steady << 31.0 / 3;
        QTest::newRow("a point less a game is falling") << QList{9, 4, 3, 2, 1, 0} << Trend::Falling << 2.0;
        QTest::newRow("old games count for nothing")
            << QList{50, 40, 0, 0, 0, 10, 20} << Trend::Rising << 6.0;
        QTest::newRow("a late drop") << QList{1, 2, 3, 4, 5, 0} << Trend::Steady << 2.8;
    }
    void trendAndMeanOfTheLastFive() {
        QFETCH(QList<int>, scores);
        ReportBuilder builder;
        for (const int score : scores)
            builder.add(diaryGame(u"Anna"_s, score), {1000, u"anna"_s});
        const ReportTable table = builder.table();
        QCOMPARE(table.rows.size(), 1);
        const PupilRow& row = table.rows.first();
        QTEST(row.trend, "trend");
        QTEST(row.recentMean, "mean");
        QCOMPARE(row.best, *std::ranges::max_element(scores));
        QCOMPARE(row.last, scores.constLast());
    }

    // One account's pupil is one row however the name was typed, shown as typed most often; the same
    // name from another account is another pupil.
    void pupilIsOneAccountAndOneName() {
        ReportBuilder builder;
        for (const QString& typed : {u"anna"_s, u"Anna "_s, u"ANNA"_s, u"Anna"_s, u"Zoe\u0308"_s, u"zoë"_s})
            builder.add(diaryGame(typed, 1), {1000, u"pc1"_s});
        builder.add(diaryGame(u"Anna"_s, 2), {1001, u"pc2"_s});
        builder.add(diaryGame(QString(30, u'é'), 2), {1001, u"pc2"_s});
        const ReportTable table = builder.table();
        QStringList rows;
        for (const PupilRow& row : table.rows)
            rows << u"%1 %2 %3"_s.arg(shownName(row.name), row.account).arg(row.games);
        QCOMPARE(rows, (QStringList{u"Anna pc1 4"_s, u"Anna pc2 1"_s, u"zoë pc1 2"_s,
                                    QString(23, u'é') + u"… pc2 1"_s}));
        QCOMPARE(table.total.games, 8);
        QCOMPARE(table.total.medianLast, 1.5);
    }

    // A pupil's days go in order, each with its games' lowest, highest and mean score, whatever order
    // the games come in.
    void daysAreTalliedInOrder() {
        ReportBuilder builder;
        for (const auto& [day, score] : {std::pair{u"2026-11-10", 4},
                                         {u"2026-11-12", 8},
                                         {u"2026-11-11", -4},
                                         {u"2026-11-10", 11},
                                         {u"2026-11-09", 1}})
            builder.add(diaryGame(u"Anna"_s, score, day), {1000, u"anna"_s});
        const ReportTable table = builder.table();
        QStringList days;
        for (const DayScores& day : table.rows.first().days)
            days << u"%1: %2, %3..%4, %5"_s.arg(day.day.toString(Qt::ISODate))
                        .arg(day.games)
                        .arg(day.worst)
                        .arg(day.best)
                        .arg(day.mean);
        QCOMPARE(days, (QStringList{u"2026-11-09: 1, 1..1, 1"_s, u"2026-11-10: 2, 4..11, 7.5"_s,
                                    u"2026-11-11: 1, -4..-4, -4"_s, u"2026-11-12: 1, 8..8, 8"_s}));
    }

    // The same name typed from two accounts stays two pupils, told apart by the files' owners.
    void twoAccountsAreTwoPupils() {
        if (::geteuid() != 0)
            QSKIP("needs root, to give the diary's files to two pupils' accounts");
        RecordFolder records;
        // Both files named for one pupil: the owner decides.
        writeDiaryFile(records, u"64001"_s, diaryBytes({diaryGame(u"Anna"_s, 4)}), testing::kPupilA.uid);
        writeDiaryFile(records, u"64002"_s, diaryBytes({diaryGame(u"anna"_s, 6)}), testing::kPupilB.uid);
        QFile::rename(records.path(u"diario/64001"), records.path(u"diario/64002-b"));
        const CommandLineAnswer answer = reportDiary(readSettings(), {});
        QCOMPARE(answer.exitStatus, ExitStatus::Normal);
        const QStringList lines = answer.standardOutput.split(u'\n');
        QVERIFY2(lines.size() > 2 && lines[1].contains(u"64001"_s) && lines[2].contains(u"64002"_s),
                 qPrintable(answer.standardOutput));
    }

    void statuses_data() {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("empty diary") << Setup::EmptyDiary << ExitStatus::Normal
                                     << u"nessuna partita registrata"_s;
        QTest::newRow("no records folder yet")
            << Setup::NoFolderYet << ExitStatus::Normal << u"nessuna partita registrata"_s;
        QTest::newRow("unusable records folder")
            << Setup::UnusableRecordFolder << ExitStatus::Failure << u"non-c-e"_s;
        QTest::newRow("a file for the diary's folder")
            << Setup::FileForDiary << ExitStatus::Failure << u"non si può leggere il diario"_s;
        QTest::newRow("unwritable output")
            << Setup::UnwritableOutput << ExitStatus::Failure << u"non ho potuto scrivere"_s;
        QTest::newRow("torn line") << Setup::TornLine << ExitStatus::Normal << u"anna: 1 riga saltata"_s;
    }
    void statuses() {
        QFETCH(Setup, setup);
        RecordFolder records;
        const CommandLineAnswer text = reportIn(records, setup, {});
        QTEST(text.exitStatus.value_or(-1), "status");
        QFETCH(QString, said);
        QVERIFY2((text.standardOutput + text.errorOutput).contains(said),
                 qPrintable(text.standardOutput + text.errorOutput));
        if (setup == Setup::TornLine)
            QVERIFY(text.standardOutput.contains(u"Classe: 2 partite"_s));

        // Each file is there whole, or not at all; what standard error says, the PDF's first page says too.
        for (const QString& name : {u"partite.csv"_s, u"diario.pdf"_s}) {
            const QString path = records.home() + u'/' + name;
            const CommandLineAnswer file = reportIn(records, setup, path);
            QTEST(file.exitStatus.value_or(-1), "status");
            QCOMPARE(QFileInfo::exists(path), file.exitStatus == ExitStatus::Normal);
            QCOMPARE(QDir(records.home()).entryList({name + u'*'}, QDir::Files).size(),
                     file.exitStatus == ExitStatus::Normal ? 1 : 0);
            if (path.endsWith(u".pdf") && file.exitStatus == ExitStatus::Normal)
                QVERIFY2(pdfText(path, {u"-l"_s, u"1"_s}).contains(said), qPrintable(pdfText(path, {})));
        }
    }

    // The file opens in Calc and Excel as columns: a byte-order mark, ";" and CR LF.
    void csvFileOpensAsColumns() {
        RecordFolder records;
        DiaryEntry exited = diaryGame(u"=SOMMA(A1)"_s, -4);
        exited.end = GameEnd::Exit;
        writeDiaryFile(records, u"anna"_s, diaryBytes({diaryGame(u"Anna"_s, 12), exited}));
        const QString csv = records.home() + u"/partite.csv"_s;
        const CommandLineAnswer answer = reportDiary(readSettings(), {{}, csv});
        QCOMPARE(answer.exitStatus, ExitStatus::Normal);
        const QString account = accountName(::geteuid());
        QCOMPARE(readFile(csv), "\xEF\xBB\xBF"
                                "Data e ora;Account;Nome;Punteggio;Centri;Errori;Fine\r\n"
                                "2026-12-10 12:00:00;" +
                                    account.toUtf8() +
                                    ";Anna;12;12;2;tempo\r\n"
                                    "2026-12-10 12:00:00;" +
                                    account.toUtf8() + ";'=SOMMA(A1);-4;0;2;uscita\r\n");
    }
};

QTEST_MAIN(ReportTest)
#include "tst_report.moc"
