#include "game.h"
#include "toolkit/dialogs.h"
#include "toolkit/program_control.h"

namespace brivadoro {

namespace {
constexpr QStringView kNewRaceQuestion = u"INIZIAMO UNA NUOVA GARA  ?";
constexpr QStringView kNewRaceTitle = u"INIZIARE NUOVA GARA";
constexpr int kNewRaceStyle = MessageStyle::YesNo | MessageStyle::IconQuestion | MessageStyle::DefaultButton2;
} // namespace

void Game::Form_Resize() {
    if (board().isMinimized())
        board().setWindowTitle(designText(BoardDesign::kCaption));
}

void Game::Next_Click() {
    const int answer =
        services_.dialogs.messageBox(kNewRaceQuestion.toString(), kNewRaceStyle, kNewRaceTitle.toString());
    if (answer == MessageAnswer::No)
        return;
    const KeptWindow kept = board().windowFit().kept();
    unloadBoard();
    Form_Load();
    board().windowFit().startAs(kept);
    showBoard();
}

void Game::closeBox() {
    services_.program.endProgram(ExitStatus::Normal);
}

void Game::unloadBoard() {
    // This command still runs inside a signal of the old window's menu, so the window is deleted
    // later; its timers stop, it vanishes and it is cut off from the game now, so that nothing of it
    // (a late resize or state change as it hides) reaches a game that has no board.
    board_->Timer1().setEnabled(false);
    board_->Timer2().setEnabled(false);
    board_->disconnect(this);
    board_->Timer1().disconnect(this);
    board_->Timer2().disconnect(this);
    board_->hide();
    board_.release()->deleteLater();
}

void Game::showBoard() {
    if (!board_)
        Form_Load();
    board().show();
    Form_Activate();
}

} // namespace brivadoro
