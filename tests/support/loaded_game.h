#pragma once

#include "doubles.h"
#include "game/game.h"

namespace brivadoro::testing {

// A game whose board has been loaded, its start-up boxes answered with OK and an empty name, and
// whose doubles have forgotten start-up: a test sees only what it does itself.
struct LoadedGame {
    TestWorld world;
    Game game{world.services(), brivadoro::readSettings()};
    Tavola& board = loadQuietly();

private:
    // Used by board's initialiser above, which cppcheck does not follow.
    // cppcheck-suppress unusedPrivateFunction
    Tavola& loadQuietly() {
        game.Form_Load();
        Tavola& loaded = game.board();
        world.forget();
        return loaded;
    }
};

} // namespace brivadoro::testing
