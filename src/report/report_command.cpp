#include "report_command.h"

#include <optional>

#include "diary/diary_folder.h"
#include "diary/diary_reader.h"
#include "records/record_folder.h"
#include "records/record_paths.h"
#include "records/record_text.h"
#include "report_csv.h"
#include "report_table.h"
#include "report_text.h"
#include "toolkit/program_control.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kFolderUnusable = u"brivadoro: la cartella dei record non si può usare: %1: %2\n";
constexpr QStringView kDiaryUntrusted = u"brivadoro: diario %1: %2\n";
constexpr QStringView kDiaryRemedy = u"brivadoro: per rimediare: %1\n";
constexpr QStringView kDiaryUnreadable = u"brivadoro: non si può leggere il diario %1: %2\n";
constexpr QStringView kSkipped = u"brivadoro: %1\n";
constexpr QStringView kCannotWrite = u"brivadoro: non ho potuto scrivere %1: %2\n";
constexpr QStringView kCsvWritten = u"Ho scritto %1 in %2\n";
constexpr QStringView kOneGame = u"1 partita";
constexpr QStringView kGames = u"%1 partite";

// What standard error says of the diary's folder before the report: why it cannot be trusted, and
// the administrator's remedy.
QString folderWarning(const DiaryFolder& diary) {
    if (diary.problem.isEmpty())
        return {};
    QString warning = kDiaryUntrusted.arg(visibleText(diary.path), diary.problem);
    if (!diary.remedy.isEmpty())
        warning += kDiaryRemedy.arg(diary.remedy);
    return warning;
}

} // namespace

CommandLineAnswer reportDiary(const Settings& settings, const ReportRequest& request) {
    const RecordFolderChoice choice = chooseRecordFolder(settings);
    try {
        checkRecordFolder(choice);
    } catch (const RecordFileError& error) {
        return {ExitStatus::Failure, {}, kFolderUnusable.arg(visibleText(error.path()), error.reason())};
    }
    // Checked at every report: a pupil may have renamed the folder and made another.
    const DiaryFolder diary = checkDiaryFolder(choice);
    QString errors = folderWarning(diary);

    std::optional<CsvReport> csv;
    if (!request.output.isEmpty()) {
        csv.emplace(request.output);
        if (const QString why = csv->open(); !why.isEmpty())
            return {ExitStatus::Failure, {}, errors + kCannotWrite.arg(visibleText(request.output), why)};
    }
    ReportBuilder builder;
    const DiaryReading reading =
        readDiary(diary.path, request.since, [&](const DiaryEntry& entry, const DiaryAccount& account) {
            if (csv)
                csv->add(entry, account.name);
            else
                builder.add(entry, account);
        });
    for (const QString& skipped : reading.skipped)
        errors += kSkipped.arg(skipped);
    if (reading.folder == DiaryFolderState::Unreadable) {
        if (csv)
            csv->cancel();
        return {ExitStatus::Failure,
                {},
                errors + kDiaryUnreadable.arg(visibleText(diary.path), reading.folderReason)};
    }
    if (!csv)
        return {ExitStatus::Normal, reportText(builder.table()), errors};
    if (const QString why = csv->commit(); !why.isEmpty())
        return {ExitStatus::Failure, {}, errors + kCannotWrite.arg(visibleText(request.output), why)};
    const QString games = csv->rows() == 1 ? kOneGame.toString() : kGames.toString().arg(csv->rows());
    return {ExitStatus::Normal, kCsvWritten.arg(games, visibleText(request.output)), errors};
}

} // namespace brivadoro
