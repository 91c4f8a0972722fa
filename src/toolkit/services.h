#pragma once

namespace brivadoro {

class Dialogs;
class ProgramControl;
class RandomSource;
class SoundPlayer;

// The places where the world reaches the game; tests put doubles in each.
struct Services {
    Dialogs& dialogs;
    RandomSource& random;
    SoundPlayer& sound;
    ProgramControl& program;
};

} // namespace brivadoro
