#include <algorithm>
#include <array>
#include <cmath>

#include <QStringBuilder>

#include "board/game.h"
#include "sound/sound_player.h"
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

constexpr QStringView kAttention = u"Attenzione!  ";
constexpr QStringView kWrongAnswer = u"Attenzione! Hai sbagliato:  ";
constexpr QStringView kNotDivisible = u" non è  un numero divisibile per 4";
// disparicmd's warning runs on from the digits straight into "non".
constexpr QStringView kNotDivisibleJoined = kNotDivisible.sliced(1);

// A right target: its new number is floor(r * range + base) * 4. A target without a field keeps
// its number in a local, so it reseeds from 0 at every hit.
struct HitRow {
    TargetId target;
    Int16 BoardState::*number;
    int range;
    int base;
};

// A wrong target: its warning's text around the clicked caption, and the span from which one draw
// takes its new number, never a multiple of 4; a one-number span takes no draw.
struct MissRow {
    TargetId target;
    QStringView prefix;
    QStringView suffix;
    Int16 BoardState::*number;
    int lowest;
    int highest;
};

constexpr std::array kHitRows{
    HitRow{paricmd, nullptr, 100, 1},
    HitRow{paricmd1, nullptr, 100, 2},
    HitRow{paricmd2, &BoardState::paricmd2Number, 40, 1},
};

constexpr std::array kMissRows{
    MissRow{disparicmd, kAttention, kNotDivisibleJoined, nullptr, 2, 41},
    MissRow{disparicmd1, kWrongAnswer, kNotDivisible, nullptr, 1601, 1601},
    MissRow{disparicmd2, kAttention, kNotDivisible, &BoardState::disparicmd2Number, 1, 300},
};

// The click handler of each target, in the order of kAllTargets.
constexpr std::array<void (Game::*)(), kAllTargets.size()> kClickHandlers{
    &Game::paricmd_Click,    &Game::paricmd1_Click,    &Game::paricmd2_Click,
    &Game::disparicmd_Click, &Game::disparicmd1_Click, &Game::disparicmd2_Click,
};

template <typename Row, std::size_t N> const Row& rowOf(const std::array<Row, N>& rows, TargetId target) {
    return *std::find_if(rows.begin(), rows.end(), [target](const Row& row) { return row.target == target; });
}

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
    return nonMultipleAt(first + int(std::floor(count * double(random.draw()))));
}

// The number a target reseeds from: its field, or the handler's local, which starts at 0.
Int16 reseedNumber(const BoardState& state, Int16 BoardState::*number) {
    return number ? state.*number : Int16{};
}

} // namespace

void Game::paricmd_Click() {
    hitTarget(paricmd);
}
void Game::paricmd1_Click() {
    hitTarget(paricmd1);
}
void Game::paricmd2_Click() {
    hitTarget(paricmd2);
}
void Game::disparicmd_Click() {
    missTarget(disparicmd);
}
void Game::disparicmd1_Click() {
    missTarget(disparicmd1);
}
void Game::disparicmd2_Click() {
    missTarget(disparicmd2);
}

void Game::clickTarget(TargetId id) {
    (this->*kClickHandlers[std::size_t(id)])();
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
    const HitRow& row = rowOf(kHitRows, id);
    flashTarget(id, Colours::Green, kHitFlashes);
    state_.score += kHitPoints;
    services_.sound.play(SoundEffect::Shot);
    board().Punteggio().setCaption(u' ' + decimalText(state_.score));
    BoardButton& button = board().target(id);
    button.setBackColor(Colours::Cyan);
    button.setVisible(false);
    services_.random.reseed(reseedNumber(state_, row.number).value());
    const Int16 number = Int16::floored(double(services_.random.draw()) * row.range + row.base) * 4;
    if (row.number)
        state_.*row.number = number;
    button.setCaption(decimalText(number));
    cmdNext_Click();
}

void Game::missTarget(TargetId id) {
    const MissRow& row = rowOf(kMissRows, id);
    flashTarget(id, Colours::Red, kMissFlashes);
    services_.sound.play(SoundEffect::Explosion);
    const QString clicked = board().target(id).caption();
    services_.dialogs.messageBox(QString(row.prefix % clicked % row.suffix), MessageStyle::Ok);
    // The box's modal loop ran timers and could have reloaded the board: look the button up again.
    state_.score -= kMissPoints;
    board().Punteggio().setCaption(decimalText(state_.score));
    BoardButton& button = board().target(id);
    button.setVisible(false);
    services_.random.reseed(reseedNumber(state_, row.number).value());
    const Int16 number = drawNonMultiple(services_.random, row.lowest, row.highest);
    if (row.number)
        state_.*row.number = number;
    button.setCaption(decimalText(number));
    button.setBackColor(Colours::Cyan);
    cmdNext_Click();
}

} // namespace brivadoro
