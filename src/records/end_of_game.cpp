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
constexpr int kNormalEnd = 0;
} // namespace

void Game::cmdExit_Click() {
    if (endOfGameStarted_)
        return;
    endOfGameStarted_ = true;
    services_.dialogs.messageBox(kGoodbye.toString(), MessageStyle::Ok);

    const QString score = board().Punteggio().caption();
    if (beatsRecord(board().lblpunti().caption(), score)) {
        const QString name = board().lblnome1().caption();
        state_.recordText = name;
        try {
            writeRecordPair(state_.windowsDir, score, name);
            services_.dialogs.messageBox(kCongratulation.toString(), MessageStyle::Ok);
        } catch (const RecordFileError& error) {
            services_.dialogs.messageBox(error.message(kWriteFailureIntro, kWriteFailureOutro),
                                         MessageStyle::IconExclamation);
        }
    }
    services_.program.endProgram(kNormalEnd);
}

} // namespace brivadoro
