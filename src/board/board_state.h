#pragma once

#include <QString>

#include "toolkit/int16.h"

namespace brivadoro {

// The board's variables, shared by every handler. They live for the whole run: a new game rebuilds
// the window but keeps these, changing only what start-up sets.
struct BoardState {
    Int16 digit1;
    Int16 digit2;
    Int16 fileNumber;
    QString recordText;
    Int16 clockHours;
    Int16 clockMinutes;
    float clockSeconds = 0;
    Int16 secondsLeft;
    QString windowsDir;
    Int16 paricmd2Number;
    Int16 disparicmdNumber;
    Int16 disparicmd1Number;
    Int16 disparicmd2Number;
    Int16 score;
    // The game's multiples of 4 clicked, and its other numbers clicked, for the class's diary.
    Int16 hits;
    Int16 misses;
    Int16 flashCount;
    // Whether the latest start-up read the whole stored pair: a game that did not never replaces it.
    bool recordReadAtStartup = false;
};

} // namespace brivadoro
