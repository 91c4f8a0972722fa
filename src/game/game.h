#pragma once

#include <memory>

#include <QObject>

#include "board/board_state.h"
#include "board/tavola.h"
#include "toolkit/command_line.h"
#include "toolkit/error_boundary.h"
#include "toolkit/services.h"

namespace brivadoro {

// The game: the board's shared state and its handlers, named after their control and event as the
// board knows them. Each handler is a plain member function: the board's signals call it through
// the error boundary, and tests call it directly. Its files here sequence the handlers; the folders
// below do their parts and never call back up.
class Game final : public QObject {
    Q_OBJECT
public:
    // Plays with the settings read at the program's start; every new game keeps them.
    Game(const Services& services, Settings settings, QObject* parent = nullptr);
    ~Game() override;

    // Runs Form_Initialize, which loads the board, then shows the board as asked and activates it.
    void start(WindowStart start = WindowStart::Fitted);

    [[nodiscard]] BoardState& state() { return state_; }
    // The loaded board; call only once Form_Load has run.
    Tavola& board();

    // Start-up and the window's commands: startup.cpp, game.cpp, window_commands.cpp
    void Form_Initialize();
    // Loads the board: asks the name, greets, builds the window, opens the records, resets the
    // clock and asks the first question.
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    // The new question: two new digits and their backdrop.
    void cmdNext_Click();
    // The menu's new game: after a yes, the board is unloaded and shown again, its window as it was.
    void Next_Click();
    // The window's close box: the program ends at once, running no game handler.
    void closeBox();

    // The clock and the end of game: countdown.cpp, end_of_game.cpp
    void resetClock();
    void Timer1_Timer();
    // Says goodbye, stores a beaten record and ends the program; a call while one runs is ignored.
    void cmdExit_Click();

    // The targets: launch.cpp, motion.cpp, shots.cpp
    // The board's own click: it launches the targets.
    void Form_Click();
    void Timer2_Timer();
    void paricmd_Click();
    void paricmd1_Click();
    void paricmd2_Click();
    void disparicmd_Click();
    void disparicmd1_Click();
    void disparicmd2_Click();

private:
    // A click on the target, from the board or a named handler: a hit if it is right, else a miss.
    void clickTarget(TargetId id);
    // The course of a hit and of a miss; the target's row in kTargets makes the difference.
    void hitTarget(TargetId id);
    void missTarget(TargetId id);
    // Writes the colour to the target with flashCount counting from 1 to writes + 1.
    void flashTarget(TargetId id, Colour colour, int writes);

    void connectBoard(Tavola& board);
    // Shows the board, loading it first when needed, and runs its activation.
    void showBoard();
    void unloadBoard();

    // Runs a handler through the error boundary; the board's signals connect to this.
    template <auto Handler> void guarded() {
        boundary_.run([this] { (this->*Handler)(); });
    }

    Services services_;
    Settings settings_;
    ErrorBoundary boundary_;
    BoardState state_;
    std::unique_ptr<Tavola> board_;
    bool endOfGameStarted_ = false;
};

} // namespace brivadoro
