#include "board/game.h"
#include "record_files.h"
#include "record_text.h"
#include "toolkit/dialogs.h"
#include "toolkit/program_control.h"

namespace brivadoro {

namespace {
constexpr QStringView kGoodbye = u"              Ciao a presto.";
constexpr QStringView kCongratulation = u"Ok ho registrato il tuo record, C A M P I O N E\"";
constexpr QStringView kWriteFailureIntro = u"Non sono riuscito a registrare il tuo record.";
constexpr QStringView kWriteFailureOutro = u"Il record precedente resta com'era.";
constexpr QStringView kRecordUnreadAtStart =
    u"Non ho potuto leggere il record all'inizio della partita, "
    u"perciò non registro il tuo punteggio: il record resta com'era.";
constexpr int kNormalEnd = 0;

// What the player is told about a score that beat the record the board showed.
struct Outcome {
    QString text;
    int style;
};

Outcome storeBeatenRecord(BoardState& state, const QString& score, const QString& name) {
    // The board showed no record, so the score beats nothing that is known.
    if (!state.recordReadAtStartup)
        return {kRecordUnreadAtStart.toString(), MessageStyle::IconExclamation};
    state.recordText = name;
    try {
        const RecordLock lock(state.windowsDir);
        writeRecordPair(lock, score, name);
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
    services_.dialogs.messageBox(kGoodbye.toString(), MessageStyle::Ok);

    const QString score = board().Punteggio().caption();
    if (beatsRecord(board().lblpunti().caption(), score)) {
        const Outcome outcome = storeBeatenRecord(state_, score, board().lblnome1().caption());
        services_.dialogs.messageBox(outcome.text, outcome.style);
    }
    services_.program.endProgram(kNormalEnd);
}

} // namespace brivadoro
