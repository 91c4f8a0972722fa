#include <variant>

#include <QStringBuilder>

#include "game.h"
#include "sound/sound_player.h"
#include "targets/target_table.h"
#include "toolkit/dialogs.h"
#include "toolkit/number_text.h"
#include "toolkit/random_source.h"

namespace brivadoro {

namespace {

using enum TargetId;

constexpr int kHitFlashes = 20000;
constexpr int kMissFlashes = 10000;
constexpr int kHitPoints = 1;
constexpr int kMissPoints = 4;

// Counts of the whole numbers that are not multiples of 4: those from 1 to n, and the one at a
// zero-based index in the sequence 1, 2, 3, 5, 6, 7, 9...
constexpr int nonMultiplesUpTo(int n) {
    return n - n / 4;
}
constexpr int nonMultipleAt(int index) {
    return 4 * (index / 3) + 1 + index % 3;
}

Int16 drawNonMultiple(RandomSource& random, int lowest, int highest) {
    const int first = nonMultiplesUpTo(lowest - 1);
    const int count = nonMultiplesUpTo(highest) - first;
    if (count == 1)
        return nonMultipleAt(first);
    return nonMultipleAt(first + drawFloored(random, count).value());
}

// The number a shot reseeds from: the target's field, or 0.
Int16 reseedNumber(const BoardState& state, const TargetRow& row, Seed seed) {
    return seed == Seed::Field ? state.*row.number : Int16{};
}

} // namespace

void Game::paricmd_Click() {
    clickTarget(paricmd);
}
void Game::paricmd1_Click() {
    clickTarget(paricmd1);
}
void Game::paricmd2_Click() {
    clickTarget(paricmd2);
}
void Game::disparicmd_Click() {
    clickTarget(disparicmd);
}
void Game::disparicmd1_Click() {
    clickTarget(disparicmd1);
}
void Game::disparicmd2_Click() {
    clickTarget(disparicmd2);
}

void Game::clickTarget(TargetId id) {
    if (targetRow(id).right())
        hitTarget(id);
    else
        missTarget(id);
}

void Game::flashTarget(TargetId id, Colour colour, int writes) {
    BoardButton& button = board().target(id);
    state_.flashCount = 1;
    while (state_.flashCount <= writes) {
        button.setBackColor(colour);
        state_.flashCount += 1;
    }
}

void Game::hitTarget(TargetId id) {
    const TargetRow& row = targetRow(id);
    const auto& hit = std::get<HitRule>(row.shot);
    flashTarget(id, Colours::Green, kHitFlashes);
    state_.score += kHitPoints;
    state_.hits += 1;
    services_.sound.play(SoundEffect::Shot);
    board().Punteggio().setCaption(u' ' + decimalText(state_.score));
    BoardButton& button = board().target(id);
    button.setBackColor(Colours::Cyan);
    button.setVisible(false);
    services_.random.reseed(reseedNumber(state_, row, hit.seed).value());
    const Int16 number = drawFloored(services_.random, hit.range, hit.base) * 4;
    if (hit.seed == Seed::Field)
        state_.*row.number = number;
    button.setCaption(decimalText(number));
    cmdNext_Click();
}

void Game::missTarget(TargetId id) {
    const TargetRow& row = targetRow(id);
    const auto& miss = std::get<MissRule>(row.shot);
    flashTarget(id, Colours::Red, kMissFlashes);
    services_.sound.play(SoundEffect::Explosion);
    const QString clicked = board().target(id).caption();
    services_.dialogs.messageBox(QString(miss.prefix % clicked % miss.suffix), MessageStyle::Ok);
    // The box's modal loop ran timers and could have reloaded the board: look the button up again.
    state_.score -= kMissPoints;
    state_.misses += 1;
    board().Punteggio().setCaption(decimalText(state_.score));
    BoardButton& button = board().target(id);
    button.setVisible(false);
    services_.random.reseed(reseedNumber(state_, row, miss.seed).value());
    const Int16 number = drawNonMultiple(services_.random, miss.lowest, miss.highest);
    if (miss.seed == Seed::Field)
        state_.*row.number = number;
    button.setCaption(decimalText(number));
    button.setBackColor(Colours::Cyan);
    cmdNext_Click();
}

} // namespace brivadoro
