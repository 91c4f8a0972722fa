#include <limits>

#include <sys/stat.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "report/report_command.h"
#include "report/report_pdf.h"
#include "report/report_table.h"
#include "report/score_chart.h"
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
using brivadoro::testing::poppler;
using brivadoro::testing::readFile;
using brivadoro::testing::RecordFolder;
using brivadoro::testing::withoutDisplay;
using brivadoro::testing::writeDiaryFile;

// The report on paper: its pages, its charts' scale, and --open's private folder and viewer.
class PrintedReportTest : public QObject {
    Q_OBJECT

private slots:
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
};

QTEST_MAIN(PrintedReportTest)
#include "tst_printed_report.moc"
