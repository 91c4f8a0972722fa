#include "game.h"

#include <cassert>
#include <utility>

#include "board/new_question.h"
#include "toolkit/random_source.h"

namespace brivadoro {

Game::Game(const Services& services, Settings settings, QObject* parent)
    : QObject(parent), services_(services), settings_(std::move(settings)),
      boundary_(services.dialogs, services.program) {}

Game::~Game() = default;

void Game::start(WindowStart start) {
    boundary_.run([this, start] {
        Form_Initialize();
        board().windowFit().startAs(start);
        showBoard();
    });
}

Tavola& Game::board() {
    assert(board_);
    return *board_;
}

void Game::connectBoard(Tavola& board) {
    connect(&board.Timer1(), &QTimer::timeout, this, &Game::guarded<&Game::Timer1_Timer>);
    connect(&board, &Tavola::exitClicked, this, &Game::guarded<&Game::cmdExit_Click>);
    connect(&board, &Tavola::boardClicked, this, &Game::guarded<&Game::Form_Click>);
    connect(&board.Timer2(), &QTimer::timeout, this, &Game::guarded<&Game::Timer2_Timer>);
    connect(&board, &Tavola::targetClicked, this,
            [this](TargetId id) { boundary_.run([this, id] { clickTarget(id); }); });
    connect(&board, &Tavola::resized, this, &Game::guarded<&Game::Form_Resize>);
    connect(&board, &Tavola::newGameChosen, this, &Game::guarded<&Game::Next_Click>);
    connect(&board, &Tavola::closeRequested, this, &Game::guarded<&Game::closeBox>);
}

void Game::cmdNext_Click() {
    // The board's first question is asked before the board exists: it loads the board, whose load
    // asks a question of its own, and then goes on.
    if (!board_)
        Form_Load();
    board().target(TargetId::paricmd2).setBackColor(Colours::Cyan);
    const QuestionDigits digits = askNewQuestion(board(), services_.random);
    state_.digit1 = digits.first;
    state_.digit2 = digits.second;
    board().drawBackdrop(digits.first.value(), digits.second.value());
}

} // namespace brivadoro
