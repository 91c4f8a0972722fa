#include "report_command.h"

#include "diary/diary_folder.h"
#include "diary/diary_reader.h"
#include "records/record_folder.h"
#include "records/record_paths.h"
#include "records/record_text.h"
#include "report_csv.h"
#include "report_pdf.h"
#include "report_table.h"
#include "report_text.h"
#include "report_viewer.h"
#include "toolkit/program_control.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kFolderUnusable = u"la cartella dei record non si può usare: %1: %2";
constexpr QStringView kDiaryUntrusted = u"diario %1: %2";
constexpr QStringView kDiaryRemedy = u"per rimediare: %1";
constexpr QStringView kDiaryUnreadable = u"non si può leggere il diario %1: %2";
constexpr QStringView kNoGames = u"nessuna partita registrata";
constexpr QStringView kNoGamesSince = u"nessuna partita registrata dal %1";
constexpr QStringView kCannotWrite = u"non ho potuto scrivere %1: %2";
constexpr QStringView kNoPrivateFolder =
    u"non c'è una cartella privata per il resoconto: %1; con --output FILE.pdf lo scrivi dove vuoi";
constexpr QStringView kNoViewer = u"non ho potuto avviare xdg-open per aprire il resoconto, che è in %1";
constexpr QStringView kErrorLine = u"brivadoro: %1\n";
constexpr QStringView kCsvWritten = u"Ho scritto %1 in %2\n";
constexpr QStringView kPdfWritten = u"Ho scritto il resoconto di %1 e %2 in %3\n";
constexpr QStringView kPdfSuffix = u".pdf";

QString errorLines(const QStringList& problems) {
    QString lines;
    for (const QString& problem : problems)
        lines += kErrorLine.arg(problem);
    return lines;
}

// Why the diary's folder cannot be trusted, and the administrator's remedy.
QStringList folderProblems(const DiaryFolder& diary) {
    if (diary.problem.isEmpty())
        return {};
    QStringList problems{kDiaryUntrusted.arg(visibleText(diary.path), diary.problem)};
    if (!diary.remedy.isEmpty())
        problems << kDiaryRemedy.arg(diary.remedy);
    return problems;
}

bool printed(const ReportRequest& request) {
    return request.open || request.output.endsWith(kPdfSuffix, Qt::CaseInsensitive);
}

// Every game in the CSV file, written as the diary is read.
CommandLineAnswer csvReport(const DiaryFolder& diary, const ReportRequest& request, QStringList problems) {
    CsvReport csv(request.output);
    if (const QString why = csv.open(); !why.isEmpty())
        return {ExitStatus::Failure,
                {},
                errorLines(problems << kCannotWrite.arg(visibleText(request.output), why))};
    const DiaryReading reading =
        readDiary(diary.path, request.since, [&](const DiaryEntry& entry, const DiaryAccount& account) {
            csv.add(entry, account.name);
        });
    problems += reading.skipped;
    if (reading.folder == DiaryFolderState::Unreadable) {
        csv.cancel();
        return {ExitStatus::Failure,
                {},
                errorLines(problems << kDiaryUnreadable.arg(visibleText(diary.path), reading.folderReason))};
    }
    if (const QString why = csv.commit(); !why.isEmpty())
        return {ExitStatus::Failure,
                {},
                errorLines(problems << kCannotWrite.arg(visibleText(request.output), why))};
    return {ExitStatus::Normal, kCsvWritten.arg(gamesText(csv.rows()), visibleText(request.output)),
            errorLines(problems)};
}

// The PDF at --output's name, or in the private folder for --open, which then hands it to the
// viewer. With --open a report that failed is printed too, with its problems, since whoever started it
// from the menu has no terminal to read them on; its status stays 1.
CommandLineAnswer printedReport(const ReportRequest& request, const ReportTable& table,
                                PrintedReportHeading heading, bool failed) {
    if (failed && !request.open)
        return {ExitStatus::Failure, {}, errorLines(heading.problems)};
    if (table.rows.isEmpty() && !failed)
        heading.problems << (request.since.isValid() ? kNoGamesSince.arg(reportLongDay(request.since))
                                                     : kNoGames.toString());
    QString path = request.output;
    if (path.isEmpty()) {
        const PrivateReportFile file = privateReportFile(heading.printed);
        if (file.path.isEmpty())
            return {
                ExitStatus::Failure, {}, errorLines(heading.problems << kNoPrivateFolder.arg(file.problem))};
        path = file.path;
    }
    if (const QString why = writePdfReport(path, table, heading); !why.isEmpty())
        return {ExitStatus::Failure,
                {},
                errorLines(heading.problems << kCannotWrite.arg(visibleText(path), why))};
    const QString written =
        kPdfWritten.arg(pupilsText(table.total.pupils), gamesText(table.total.games), visibleText(path));
    if (request.open && !openInViewer(path))
        return {ExitStatus::Failure, written,
                errorLines(heading.problems << kNoViewer.arg(visibleText(path)))};
    return {failed ? ExitStatus::Failure : ExitStatus::Normal, written, errorLines(heading.problems)};
}

} // namespace

CommandLineAnswer reportDiary(const Settings& settings, const ReportRequest& request) {
    const RecordFolderChoice choice = chooseRecordFolder(settings);
    PrintedReportHeading heading{visibleText(choice.folder), request.since, QDateTime::currentDateTime(), {}};
    try {
        checkRecordFolder(choice);
    } catch (const RecordFileError& error) {
        heading.problems << kFolderUnusable.arg(visibleText(error.path()), error.reason());
        return printed(request) ? printedReport(request, {}, heading, true)
                                : CommandLineAnswer{ExitStatus::Failure, {}, errorLines(heading.problems)};
    }
    // Checked at every report: a pupil may have renamed the folder and made another.
    const DiaryFolder diary = checkDiaryFolder(choice);
    heading.problems = folderProblems(diary);
    if (!request.output.isEmpty() && !printed(request))
        return csvReport(diary, request, heading.problems);

    ReportBuilder builder;
    const DiaryReading reading =
        readDiary(diary.path, request.since,
                  [&](const DiaryEntry& entry, const DiaryAccount& account) { builder.add(entry, account); });
    heading.problems += reading.skipped;
    const bool unreadable = reading.folder == DiaryFolderState::Unreadable;
    if (unreadable)
        heading.problems << kDiaryUnreadable.arg(visibleText(diary.path), reading.folderReason);
    if (printed(request))
        return printedReport(request, builder.table(), heading, unreadable);
    if (unreadable)
        return {ExitStatus::Failure, {}, errorLines(heading.problems)};
    return {ExitStatus::Normal, reportText(builder.table()), errorLines(heading.problems)};
}

} // namespace brivadoro
