#include <limits>

#include <sys/stat.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "records/record_paths.h"
#include "report/report_command.h"
#include "report/report_csv.h"
#include "report/report_pdf.h"
#include "report/report_table.h"
#include "report/score_chart.h"
#include "support/diary_files.h"
#include "support/environment_value.h"
#include "support/record_folder.h"
#include "toolkit/program_control.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::testing::diaryBytes;
using brivadoro::testing::diaryGame;
using brivadoro::testing::EnvironmentValue;
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

// What a poppler tool says of the file, its lines joined by single blanks.
QString poppler(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60'000) || process.exitCode() != 0)
        return u"%1 failed: %2"_s.arg(tool, QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString& path, QStringList arguments) {
    return poppler(u"pdftotext"_s, arguments << path << u"-"_s).simplified();
}

// The program as a teacher runs it over ssh or from cron: with no display at all.
QProcessEnvironment withoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    return environment;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

    // Every chart shares one scale: from --since, or the first day, to the last; from 0, or the lowest
    // score below it, to the highest, rounded out; the ends of what a diary's score can hold still draw.
    void chartsShareOneScale_data() {
        QTest::addColumn<QList<int>>("scores"); // one a day, from 1 November on
        QTest::addColumn<QDate>("since");
        QTest::addColumn<double>("lowest");
        QTest::addColumn<double>("highest");
        QTest::addColumn<QDate>("first");
        const QDate november(2026, 11, 1);
        QTest::newRow("scores above 0") << QList{3, 47} << QDate() << 0.0 << 50.0 << november;
        QTest::newRow("a score below 0") << QList{-8, 41, 12} << QDate() << -10.0 << 50.0 << november;
        QTest::newRow("one game of 0") << QList{0} << QDate() << 0.0 << 1.0 << november;
        QTest::newRow("from the since day")
            << QList{5} << QDate(2026, 10, 20) << 0.0 << 5.0 << QDate(2026, 10, 20);
        QTest::newRow("the ends of an int")
            << QList{std::numeric_limits<int>::min(), std::numeric_limits<int>::max()} << QDate() << -3e9
            << 3e9 << november;
    }
    void chartsShareOneScale() {
        QFETCH(QList<int>, scores);
        QFETCH(QDate, since);
        ReportBuilder builder;
        for (qsizetype day = 0; day < scores.size(); ++day)
            builder.add(
                diaryGame(u"Anna"_s, scores[day], QDate(2026, 11, 1).addDays(day).toString(Qt::ISODate)),
                {1000, u"anna"_s});
        const ReportTable table = builder.table();
        const ChartScale scale = chartScaleOf(table, since);
        QTEST(scale.lowest, "lowest");
        QTEST(scale.highest, "highest");
        QTEST(scale.first, "first");
        QCOMPARE(scale.last, QDate(2026, 11, 1).addDays(scores.size() - 1));
        const QTemporaryDir folder;
        QCOMPARE(writePdfReport(folder.filePath(u"diario.pdf"_s), table, {u"classe"_s, since, {}, {}}),
                 QString());
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

    // Forty pupils fill more than a page: every name stands in the table and over its chart, and no row
    // or chart crosses a page's margin, where only the page's number goes; the real program draws it
    // with no display, in the font it embeds.
    void printedReportKeepsRowsAndChartsWhole_data() {
        QTest::addColumn<int>("warnings"); // torn lines, each in a file of its own, which move the table down
        for (const int warnings : {0, 1, 3, 5, 8, 12})
            QTest::addRow("under %d warnings", warnings) << warnings;
    }
    void printedReportKeepsRowsAndChartsWhole() {
        QFETCH(int, warnings);
        RecordFolder records;
        for (int torn = 0; torn < warnings; ++torn)
            writeDiaryFile(records, u"strappato%1"_s.arg(torn), diaryBytes({}) + "2026-11-01T12:00\n");
        QList<DiaryEntry> games;
        QStringList names;
        for (int pupil = 0; pupil < 40; ++pupil) {
            names << u"Nicolò%1"_s.arg(pupil + 10);
            for (int day = 1; day <= 20; ++day)
                games << diaryGame(names.constLast(), (pupil * 7 + day * 3) % 50 - 8,
                                   u"2026-11-%1"_s.arg(day, 2, 10, QChar(u'0')));
        }
        writeDiaryFile(records, u"classe"_s, diaryBytes(games));
        const QString pdf = records.home() + u"/diario.pdf"_s;
        QProcess program;
        program.setProcessEnvironment(withoutDisplay());
        program.start(qEnvironmentVariable("BRIVADORO_PROGRAM"),
                      {u"--report"_s, u"--since"_s, u"2026-11-02"_s, u"--output"_s, pdf});
        QVERIFY(program.waitForFinished(60'000));
        QCOMPARE(program.exitCode(), ExitStatus::Normal);
        QVERIFY(poppler(u"pdfinfo"_s, {pdf}).contains(u"595 x 842 pts (A4)"));
        const QString firstPage = pdfText(pdf, {u"-l"_s, u"1"_s});
        QVERIFY(firstPage.contains(u"Partite: dal 2 novembre 2026 in poi"));
        QCOMPARE(firstPage.contains(u"… e altri 4 avvisi"), warnings == 12);
        QVERIFY(QRegularExpression(u"^LiberationSans\\s+CID TrueType\\s+\\S+\\s+yes"_s,
                                   QRegularExpression::MultilineOption)
                    .match(poppler(u"pdffonts"_s, {pdf}))
                    .hasMatch());

        const QString boxes = poppler(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
        const QRegularExpression word(
            u"<word xMin=\"[^\"]+\" yMin=\"([^\"]+)\" xMax=\"[^\"]+\" yMax=\"([^\"]+)\">([^<]*)</word>"_s);
        const QStringList pages = boxes.split(u"<page "_s).mid(1);
        QVERIFY(pages.size() > 1);
        QMap<QString, int> shown;
        for (qsizetype page = 0; page < pages.size(); ++page) {
            QStringList footer;
            for (const QRegularExpressionMatch& match : word.globalMatch(pages[page])) {
                const double top = match.captured(1).toDouble();
                const double bottom = match.captured(2).toDouble();
                if (bottom > 842 - kPageMargin)
                    footer << match.captured(3);
                else
                    QVERIFY2(top > kPageMargin - 0.5, qPrintable(match.captured(0)));
                ++shown[match.captured(3)];
            }
            QCOMPARE(footer.join(u' '),
                     u"Brivadoro · Diario della classe · pagina %1 di %2"_s.arg(page + 1).arg(pages.size()));
        }
        for (const QString& name : names)
            QCOMPARE(shown.value(name), 2);
    }

    // --open writes the PDF in the user's private runtime folder and hands it to xdg-open; with no
    // such folder or no viewer it says why, with status 1. A diary that cannot be read is still shown,
    // since whoever chose the menu's action has no terminal.
    void openHandsThePdfToTheViewer_data() {
        QTest::addColumn<int>("runtimeMode"); // of XDG_RUNTIME_DIR; 0 leaves it unset
        QTest::addColumn<bool>("viewer");
        QTest::addColumn<bool>("diaryReadable");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("opened") << 0700 << true << true << ExitStatus::Normal
                                << u"Ho scritto il resoconto di 1 alunno"_s;
        QTest::newRow("no viewer") << 0700 << false << true << ExitStatus::Failure
                                   << u"non ho potuto avviare xdg-open"_s;
        QTest::newRow("XDG_RUNTIME_DIR unset")
            << 0 << true << true << ExitStatus::Failure << u"XDG_RUNTIME_DIR non è impostata"_s;
        QTest::newRow("a runtime folder open to others")
            << 0755 << true << true << ExitStatus::Failure << u"è aperta ad altri utenti"_s;
        QTest::newRow("a diary that cannot be read")
            << 0700 << true << false << ExitStatus::Failure << u"non si può leggere il diario"_s;
    }
    void openHandsThePdfToTheViewer() {
        QFETCH(int, runtimeMode);
        QFETCH(bool, viewer);
        QFETCH(bool, diaryReadable);
        QFETCH(QString, said);
        RecordFolder records;
        if (diaryReadable)
            writeDiaryFile(records, u"anna"_s, diaryBytes({diaryGame(u"Anna"_s, 7)}));
        else
            records.write(u"diario", "Anna\n");
        const QTemporaryDir scratch;
        const QString runtime = scratch.path() + u"/run"_s;
        const QString tools = scratch.path() + u"/bin"_s;
        const QString opened = scratch.path() + u"/opened"_s;
        QDir().mkpath(runtime);
        ::chmod(QFile::encodeName(runtime).constData(), mode_t(runtimeMode));
        QDir().mkpath(tools);
        if (viewer) {
            QFile standIn(tools + u"/xdg-open"_s);
            QVERIFY(standIn.open(QIODevice::WriteOnly));
            standIn.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >" + QFile::encodeName(opened) +
                          ".part && /bin/mv " + QFile::encodeName(opened) + ".part " +
                          QFile::encodeName(opened) + "\n");
            standIn.setPermissions(standIn.permissions() | QFileDevice::ExeOwner);
        }
        CommandLineAnswer answer;
        {
            const EnvironmentValue path("PATH", tools);
            const EnvironmentValue folder("XDG_RUNTIME_DIR", runtimeMode == 0 ? QString() : runtime);
            answer = reportDiary(readSettings(), {{}, {}, true});
        }
        QTEST(answer.exitStatus.value_or(-1), "status");
        QVERIFY2((answer.standardOutput + answer.errorOutput).contains(said), qPrintable(answer.errorOutput));
        const QStringList written =
            QDir(runtime + u"/brivadoro"_s).entryList({u"diario-*.pdf"_s}, QDir::Files);
        QCOMPARE(written.size(), runtimeMode == 0700 ? 1 : 0);
        if (!viewer || written.isEmpty())
            return;
        QCOMPARE(QFileInfo(runtime + u"/brivadoro"_s).permissions() & 0x0077, QFileDevice::Permissions());
        const QString pdf = runtime + u"/brivadoro/"_s + written.first();
        QTRY_COMPARE_WITH_TIMEOUT(readFile(opened), QFile::encodeName(pdf) + '\n', 30'000);
        if (!diaryReadable)
            QVERIFY(pdfText(pdf, {}).contains(said));
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
