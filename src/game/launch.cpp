#include "board/new_question.h"
#include "game.h"
#include "sound/sound_player.h"

namespace brivadoro {

// The board's own click: a new question whose digits stay local, the laser, and the targets set
// jumping with one move at once. Enabling a running Timer2 keeps its count.
void Game::Form_Click() {
    const QuestionDigits digits = askNewQuestion(board(), services_.random);
    services_.sound.play(SoundEffect::Laser);
    board().drawBackdrop(digits.first.value(), digits.second.value());
    board().Timer2().setEnabled(true);
    Timer2_Timer();
}

} // namespace brivadoro
