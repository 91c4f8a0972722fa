#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <variant>

#include <QStringView>

#include "board/board_state.h"
#include "board/target_id.h"

namespace brivadoro {

// What the random source is reseeded with before a target's new number is drawn: 0, the number in
// the target's field (which then keeps the new one), or the number start-up has just given the
// target before it in kTargets.
enum class Seed { Zero, Field, Previous };

// A target's first number at start-up: floor(r * range + 1) * 4 + remainder.
struct StartRule {
    int range = 0;
    int remainder = 0;
    Seed seed = Seed::Zero;
};

// A hit on a right target gives it floor(r * range + base) * 4.
struct HitRule {
    int range = 0;
    int base = 0;
    Seed seed = Seed::Zero;
};

// A miss on a wrong target warns with the clicked caption between prefix and suffix, and gives it a
// number from lowest to highest that is no multiple of 4, in one draw; a one-number span takes none.
struct MissRule {
    QStringView prefix;
    QStringView suffix;
    int lowest = 0;
    int highest = 0;
    Seed seed = Seed::Zero;
};

// A move's new number for a wrong target: 4 * k + remainder, k from 1 to range, seeded from the
// target's field.
struct RenumberRule {
    int range = 0;
    int remainder = 0;
};

// What makes one target differ from the others: a right target carries multiples of 4 and is hit,
// a wrong one carries other numbers and is missed. Its button's name is in kTargetNames.
struct TargetRow {
    TargetId id{};
    StartRule start;
    std::variant<HitRule, MissRule> shot;
    std::optional<RenumberRule> renumber;
    // The field that keeps the target's number between draws, if it has one.
    using NumberField = Int16 BoardState::*;
    NumberField number = nullptr;

    [[nodiscard]] constexpr bool right() const { return std::holds_alternative<HitRule>(shot); }
};

inline constexpr QStringView kAttention = u"Attenzione!  ";
inline constexpr QStringView kWrongAnswer = u"Attenzione! Hai sbagliato:  ";
inline constexpr QStringView kNotDivisible = u" non è  un numero divisibile per 4";
// disparicmd's warning runs on from the digits straight into "non".
inline constexpr QStringView kNotDivisibleJoined = kNotDivisible.sliced(1);

// The six targets, in the order in which start-up gives them their first numbers.
// clang-format off
inline constexpr std::array kTargets{
    TargetRow{TargetId::disparicmd,  StartRule{100, 1},                 MissRule{kAttention, kNotDivisibleJoined, 2, 41},         RenumberRule{900, 1}, &BoardState::disparicmdNumber},
    TargetRow{TargetId::disparicmd1, StartRule{100, 2},                 MissRule{kWrongAnswer, kNotDivisible, 1601, 1601},        RenumberRule{200, 1}, &BoardState::disparicmd1Number},
    TargetRow{TargetId::disparicmd2, StartRule{100, 3},                 MissRule{kAttention, kNotDivisible, 1, 300, Seed::Field}, RenumberRule{80, 2},  &BoardState::disparicmd2Number},
    TargetRow{TargetId::paricmd,     StartRule{100, 0},                 HitRule{100, 1},                                          std::nullopt,         nullptr},
    TargetRow{TargetId::paricmd1,    StartRule{150, 0},                 HitRule{100, 2},                                          std::nullopt,         nullptr},
    TargetRow{TargetId::paricmd2,    StartRule{100, 0, Seed::Previous}, HitRule{40, 1, Seed::Field},                              std::nullopt,         &BoardState::paricmd2Number},
};
// clang-format on

constexpr const TargetRow& targetRow(TargetId id) {
    return *std::find_if(kTargets.begin(), kTargets.end(),
                         [id](const TargetRow& row) { return row.id == id; });
}

// Every target has one row; only a right one starts on a multiple of 4; a rule seeded from a field
// has one, and only start-up seeds from the previous target.
constexpr bool rowsAgree() {
    return std::all_of(kAllTargets.begin(), kAllTargets.end(), [](TargetId id) {
        const auto rows = std::count_if(kTargets.begin(), kTargets.end(),
                                        [id](const TargetRow& row) { return row.id == id; });
        const TargetRow& row = targetRow(id);
        const Seed shotSeed = std::visit([](const auto& shot) { return shot.seed; }, row.shot);
        const bool fieldNeeded = row.renumber || shotSeed == Seed::Field;
        const bool seedsFit = row.start.seed != Seed::Field && shotSeed != Seed::Previous;
        return rows == 1 && row.right() == (row.start.remainder == 0) &&
               (row.number != nullptr || !fieldNeeded) && seedsFit;
    });
}
static_assert(rowsAgree());

} // namespace brivadoro
