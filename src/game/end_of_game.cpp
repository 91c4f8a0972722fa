#include <optional>

#include <QDateTime>
#include <QLocale>

#include "clock/clock_display.h"
#include "diary/diary_writer.h"
#include "game.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "records/record_text.h"
#include "toolkit/dialogs.h"
#include "toolkit/program_control.h"

namespace brivadoro {

namespace {
constexpr QStringView kGoodbye = u"              Ciao a presto.";
constexpr QStringView kCongratulation = u"Ok ho registrato il tuo record, C A M P I O N E\"";
constexpr QStringView kWriteFailureIntro = u"Non sono riuscito a registrare il tuo record.";
constexpr QStringView kWriteFailureOutro = u"Il record precedente resta com'era.";
constexpr QStringView kDiaryLockRefused =
    u"brivadoro: diario: il file di blocco del record non si è potuto prendere; la partita non è stata "
    u"annotata.";
constexpr QStringView kRecordUnreadAtStart =
    u"Non ho potuto leggere il record all'inizio della partita, "
    u"perciò non registro il tuo punteggio: il record resta com'era.";
constexpr QStringView kRecordStoredMeanwhile =
    u"Hai superato il record di inizio partita, ma nel frattempo %1 "
    u"ha registrato un nuovo record, con un punteggio di %2: "
    u"il record resta suo.";
constexpr QStringView kRecordStoredMeanwhileUnnamed =
    u"Hai superato il record di inizio partita, ma nel frattempo un giocatore senza nome ha registrato "
    u"un nuovo record, con un punteggio di %1: il record resta suo.";

// What the player is told about a score that beat the record the board showed.
struct Outcome {
    QString text;
    int style;
};

// Names the holder of a record stored by another game since start-up, and its points.
QString storedMeanwhileText(const RecordPair& stored) {
    QString holder = stored.name;
    while (holder.endsWith(u'\n') || holder.endsWith(u'\r'))
        holder.chop(1);
    const QString points =
        QLocale::c().toString(recordValue(stored.score), 'g', QLocale::FloatingPointShortest);
    return holder.trimmed().isEmpty() ? kRecordStoredMeanwhileUnnamed.arg(points)
                                      : kRecordStoredMeanwhile.arg(holder, points);
}

// Stores the score only when it beats the record stored now as well, which another game under the
// same login may have raised since start-up; the pair is read again and replaced under one lock,
// which lock keeps for the diary's entry.
Outcome storeBeatenRecord(BoardState& state, const QString& score, const QString& name,
                          std::optional<RecordLock>& lock) {
    // The board showed no record, so the score beats nothing that is known.
    if (!state.recordReadAtStartup)
        return {kRecordUnreadAtStart.toString(), MessageStyle::IconExclamation};
    try {
        lock.emplace(state.windowsDir);
        const RecordPair stored = readRecordPair(*lock);
        if (!beatsRecord(stored.score, score))
            return {storedMeanwhileText(stored), MessageStyle::IconInformation};
        state.recordText = name;
        writeRecordPair(*lock, score, name);
        return {kCongratulation.toString(), MessageStyle::Ok};
    } catch (const RecordFileError& error) {
        return {error.message(kWriteFailureIntro, kWriteFailureOutro), MessageStyle::IconExclamation};
    }
}

} // namespace

void Game::cmdExit_Click() {
    if (endOfGameStarted_)
        return;
    endOfGameStarted_ = true;
    // The score as the player saw it and as the record keeps it.
    const int shownScore = int(scoreValue(board().Punteggio().caption()).value_or(state_.score.value()));
    const DiaryEntry entry{diaryTime(QDateTime::currentDateTime()),
                           board().lblnome1().caption(),
                           shownScore,
                           state_.hits.value(),
                           state_.misses.value(),
                           board().lblconto().caption() == kClockAtZero ? GameEnd::Time : GameEnd::Exit};
    services_.dialogs.messageBox(kGoodbye.toString(), MessageStyle::Ok);

    // The congratulation shows exactly when the pair is stored; every other outcome says why not.
    const QString score = board().Punteggio().caption();
    Outcome outcome{}; // no text when the score beats no record
    {
        std::optional<RecordLock> lock;
        if (beatsRecord(board().lblpunti().caption(), score))
            outcome = storeBeatenRecord(state_, score, board().lblnome1().caption(), lock);
        // The entry comes after the record's step, under its lock when it took one, which is let go
        // before the boxes wait for the player.
        // A lock the record's step could not take would keep the diary waiting as long again.
        const bool lockRefused = !outcome.text.isEmpty() && state_.recordReadAtStartup && !lock;
        if (settings_.diary && lockRefused)
            printErrorLines({kDiaryLockRefused.toString()});
        else if (settings_.diary) {
            const QString failure =
                appendDiaryEntry(chooseRecordFolder(settings_), entry, lock ? &*lock : nullptr);
            if (!failure.isEmpty())
                printErrorLines({failure});
        }
    }
    if (!outcome.text.isEmpty())
        services_.dialogs.messageBox(outcome.text, outcome.style);
    services_.program.endProgram(ExitStatus::Normal);
}

} // namespace brivadoro
