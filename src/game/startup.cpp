#include "clock/clock_display.h"
#include "clock/game_length.h"
#include "game.h"
#include "records/record_pair.h"
#include "targets/target_table.h"
#include "toolkit/dialogs.h"
#include "toolkit/number_text.h"
#include "toolkit/random_source.h"

namespace brivadoro {

namespace {

constexpr QStringView kNamePrompt = u"Come ti chiami?";
constexpr QStringView kGreetingEnd = u" vediamo se sei un vero campione  ";

} // namespace

void Game::Form_Initialize() {
    cmdNext_Click();
}

void Game::Form_Load() {
    // The window is built once the name box and the greeting are answered: nothing of it can be seen
    // or tick before then, and the name box need not wait for the board's fonts.
    const QString name = services_.dialogs.inputBox(kNamePrompt.toString());
    services_.dialogs.messageBox(u' ' + name + kGreetingEnd.toString());
    board_ = std::make_unique<Tavola>();
    connectBoard(*board_);
    board_->Timer1().setEnabled(false);
    board_->Timer2().setEnabled(false);

    board_->lblnome1().setCaption(name);
    // The record's message opens before the clock starts, so no time runs while the board is unseen.
    const RecordFolderChoice folder = chooseRecordFolder(settings_);
    state_.windowsDir = folder.folder;
    const RecordsAtStartup records = openRecordFiles(folder);
    state_.recordReadAtStartup = records.read;
    if (!records.error.isEmpty())
        services_.dialogs.messageBox(records.error, MessageStyle::IconExclamation);
    resetClock();
    board_->lblpunti().setCaption(records.score);
    board_->lblnome().setCaption(records.name);
    state_.secondsLeft = Int16::rounded(state_.clockSeconds + kSecondsPerGame);
    board_->lblconto().setCaption(
        clockDisplayText(state_.clockHours, state_.clockMinutes, state_.clockSeconds));
    cmdNext_Click();
}

void Game::Form_Activate() {
    Int16 previous;
    for (const TargetRow& row : kTargets) {
        const StartRule& rule = row.start;
        services_.random.reseed(rule.seed == Seed::Previous ? previous.value() : 0);
        const Int16 number = drawFloored(services_.random, rule.range, 1) * 4 + rule.remainder;
        board().target(row.id).setCaption(decimalText(number));
        previous = number;
    }
    state_.score = 0;
    state_.hits = 0;
    state_.misses = 0;
    board().Punteggio().setCaption(decimalText(state_.score));
    cmdNext_Click();
}

} // namespace brivadoro
