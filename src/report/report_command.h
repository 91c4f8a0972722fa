#pragma once

#include "toolkit/command_line.h"

namespace brivadoro {

// --report: every pupil's progress from the diary of the records folder in use, as text on standard
// output, or every game as a CSV file. Status 0 when the report was made, 1 when the folder, its
// diario/ or the output could not be read or written.
CommandLineAnswer reportDiary(const Settings& settings, const ReportRequest& request);

} // namespace brivadoro
