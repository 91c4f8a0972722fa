#pragma once

#include "toolkit/command_line.h"

namespace brivadoro {

// --show-record: the records folder in use and why, the record, and whether those who play there may
// replace it, followed by the configuration's mistakes. Status 1 on any mistake, an unusable folder or
// an unreadable record; a folder with no record yet is in order. It locks, finishes, creates and
// changes nothing, and needs no display.
CommandLineAnswer showRecord(const Settings& settings);

// --reset-record: asks confirm, showing the record of the folder in use, then empties it under the
// lock, unless it changed meanwhile. The answer names the folder and the score and name removed, so
// that they can be put back by hand; or says why nothing changed, with status 1. Where there is no
// record yet, it says so and creates nothing.
CommandLineAnswer resetRecord(const Settings& settings, const Confirmation& confirm);

} // namespace brivadoro
