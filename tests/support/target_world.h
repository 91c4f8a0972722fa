#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include <QString>

#include "game/game.h"
#include "support/doubles.h"
#include "support/test_main.h"

namespace brivadoro::testing {

// The largest draw below 1.
inline constexpr float kTopDraw = 1.0F - 1.0F / 16777216.0F;

inline TargetId targetNamed(QStringView name) {
    const auto* const found = std::find(kTargetNames.begin(), kTargetNames.end(), name);
    return kAllTargets[std::size_t(found - kTargetNames.begin()) % kAllTargets.size()];
}

// Records every effect and runs onPlay as the sound starts, to see the board at that moment.
class ProbeSound final : public SoundPlayer {
public:
    void play(SoundEffect effect) override {
        played.push_back(effect);
        if (onPlay)
            onPlay(effect);
    }
    std::vector<SoundEffect> played;
    std::function<void(SoundEffect)> onPlay;
};

// A game under test: its board loaded and scaled by a first question, its start-up forgotten, and
// its draws and boxes scripted from then on.
struct TargetWorld {
    TestWorld world;
    ProbeSound sound;
    Game game{{world.dialogs, world.random, sound, world.program}, brivadoro::readSettings()};

    TargetWorld() {
        game.cmdNext_Click();
        world.forget();
    }

    Tavola& board() { return game.board(); }
    // A click on the target's button, as the board reports it.
    void click(TargetId id) { emit board().targetClicked(id); }
    BoardState& state() { return game.state(); }
    [[nodiscard]] bool shown(TargetId id) { return !board().target(id).isHidden(); }
    QString caption(TargetId id) { return board().target(id).caption(); }
};

} // namespace brivadoro::testing
