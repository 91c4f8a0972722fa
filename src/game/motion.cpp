#include <algorithm>
#include <array>
#include <span>

#include "game.h"
#include "targets/target_table.h"
#include "toolkit/number_text.h"
#include "toolkit/random_source.h"

namespace brivadoro {

namespace {

using enum TargetId;

enum class Action { Show, Hide, Left, Top, Renumber };

// One step of a move. Left and Top take floor(range * r) + offset; Renumber gives a wrong target a new
// number by its row's rule.
struct MoveStep {
    Action action;
    TargetId target;
    int range = 0;
    int offset = 0;
};

constexpr std::array kAlwaysShown{paricmd1, disparicmd1, disparicmd2};

// clang-format off
constexpr std::array kMove1{
    MoveStep{Action::Hide, paricmd1}, MoveStep{Action::Hide, disparicmd1}, MoveStep{Action::Hide, disparicmd2},
    MoveStep{Action::Left, disparicmd, 450}, MoveStep{Action::Top, disparicmd, 1100},
    MoveStep{Action::Show, paricmd},
    MoveStep{Action::Left, paricmd1, 300},
    MoveStep{Action::Top, paricmd, 600},
    MoveStep{Action::Show, paricmd2},
};
constexpr std::array kMove2{
    MoveStep{Action::Left, paricmd, 800}, MoveStep{Action::Top, paricmd, 800}, MoveStep{Action::Show, paricmd},
    MoveStep{Action::Left, paricmd1, 300}, MoveStep{Action::Top, paricmd1, 300}, MoveStep{Action::Show, paricmd1},
    MoveStep{Action::Renumber, disparicmd1},
};
constexpr std::array kMove3{
    MoveStep{Action::Hide, paricmd}, MoveStep{Action::Hide, disparicmd},
    MoveStep{Action::Top, paricmd2, 150},
    MoveStep{Action::Top, paricmd1, 300},
    MoveStep{Action::Top, disparicmd1, 300},
    MoveStep{Action::Top, disparicmd2, 150}, MoveStep{Action::Left, disparicmd2, 50},
    MoveStep{Action::Hide, paricmd1},
    MoveStep{Action::Renumber, disparicmd},
};
constexpr std::array kMove4{
    MoveStep{Action::Hide, disparicmd2}, MoveStep{Action::Show, disparicmd},
    MoveStep{Action::Left, disparicmd, 300, 1}, MoveStep{Action::Top, disparicmd, 1000, 1},
    MoveStep{Action::Top, paricmd1, 500}, MoveStep{Action::Left, paricmd1, 300},
    MoveStep{Action::Show, paricmd2},
};
constexpr std::array kMove5{
    MoveStep{Action::Hide, paricmd}, MoveStep{Action::Hide, disparicmd},
    MoveStep{Action::Top, paricmd2, 200},
    MoveStep{Action::Top, paricmd1, 300},
    MoveStep{Action::Top, disparicmd1, 900},
    MoveStep{Action::Top, disparicmd2, 500},
    MoveStep{Action::Top, disparicmd, 300},
    MoveStep{Action::Hide, paricmd1}, MoveStep{Action::Hide, disparicmd2},
};
constexpr std::array kMove6{
    MoveStep{Action::Hide, paricmd1}, MoveStep{Action::Hide, disparicmd1},
    MoveStep{Action::Top, paricmd, 200},
    MoveStep{Action::Top, paricmd2, 30},
    MoveStep{Action::Top, disparicmd, 900},
    MoveStep{Action::Top, disparicmd1, 70},
    MoveStep{Action::Top, disparicmd2, 250},
    MoveStep{Action::Left, disparicmd1, 300},
    MoveStep{Action::Renumber, disparicmd2},
};
// clang-format on

constexpr std::array<std::span<const MoveStep>, 6> kMoves{kMove1, kMove2, kMove3, kMove4, kMove5, kMove6};

// A move renumbers only a target that has a renumber rule.
constexpr bool renumberedTargetsHaveRules() {
    return std::all_of(kMoves.begin(), kMoves.end(), [](std::span<const MoveStep> move) {
        return std::all_of(move.begin(), move.end(), [](const MoveStep& step) {
            return step.action != Action::Renumber || targetRow(step.target).renumber.has_value();
        });
    });
}
static_assert(renumberedTargetsHaveRules());

void renumber(TargetId target, Tavola& board, RandomSource& random, BoardState& state) {
    const TargetRow& row = targetRow(target);
    const RenumberRule& rule = *row.renumber; // NOLINT(bugprone-unchecked-optional-access): asserted above
    Int16& number = state.*row.number;
    random.reseed(number.value());
    const Int16 k = drawFloored(random, rule.range, 1);
    number = 4 * k + rule.remainder;
    board.target(target).setCaption(decimalText(number));
}

void carryOut(const MoveStep& step, Tavola& board, RandomSource& random, BoardState& state) {
    switch (step.action) {
    case Action::Show:
    case Action::Hide:
        board.target(step.target).setVisible(step.action == Action::Show);
        break;
    case Action::Left:
        board.setTargetLeft(step.target, float((drawFloored(random, step.range) + step.offset).value()));
        break;
    case Action::Top:
        board.setTargetTop(step.target, float((drawFloored(random, step.range) + step.offset).value()));
        break;
    case Action::Renumber:
        renumber(step.target, board, random, state);
        break;
    }
}

} // namespace

void Game::Timer2_Timer() {
    Tavola& tavola = board();
    for (TargetId target : kAlwaysShown)
        tavola.target(target).setVisible(true);
    services_.random.reseedFromClock();
    // Each of the six moves with probability 1/6.
    const int move = drawFloored(services_.random, double(kMoves.size())).value();
    for (const MoveStep& step : kMoves[std::size_t(move)])
        carryOut(step, tavola, services_.random, state_);
}

} // namespace brivadoro
