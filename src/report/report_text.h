#pragma once

#include <QString>

#include "report_table.h"

namespace brivadoro {

// The report as an aligned table for the terminal, under Italian headings, every name escaped so
// that it cannot steer the terminal, followed by the class's line; "nessuna partita registrata"
// when there is no game.
QString reportText(const ReportTable& table);

} // namespace brivadoro
