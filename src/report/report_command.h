#pragma once

#include "toolkit/command_line.h"

namespace brivadoro {

// --report: every pupil's progress from the diary of the records folder in use, as text on standard
// output, as a PDF to print, or every game as a CSV file; --open hands the PDF to the desktop's
// viewer. Status 0 when the report was made, 1 when the folder, its diario/ or the output could not
// be read or written, or no viewer could be started.
CommandLineAnswer reportDiary(const Settings& settings, const ReportRequest& request);

} // namespace brivadoro
