#pragma once

#include <array>

#include <QString>
#include <QStringView>

#include "report_table.h"

namespace brivadoro {

inline constexpr qsizetype kReportColumns = 8;
inline constexpr std::array<QStringView, kReportColumns> kReportHeadings{
    u"Nome",   u"Account",        u"Partite",   u"Migliore",
    u"Ultimo", u"Media ultime 5", u"Andamento", u"Ultima partita"};
// Which columns hold numbers, aligned to the right.
inline constexpr std::array<bool, kReportColumns> kNumericColumns{false, false, true,  true,
                                                                  true,  true,  false, false};
using ReportCells = std::array<QString, kReportColumns>;

// The headings' cells.
ReportCells reportHeadingCells();

// One pupil's cells, as every rendering of the report shows them: the name cut to a column's length
// and, like the account, escaped so that it cannot steer a terminal; numbers and dates in Italian.
ReportCells reportCells(const PupilRow& row);

// The class's line: its games, its pupils and the median of their last scores, without a line end.
QString classLineText(const ClassLine& total);

// A count of games or pupils in Italian, its digits grouped: "1 partita", "1.234 partite", "2 alunni".
QString gamesText(qsizetype games);
QString pupilsText(qsizetype pupils);

// The day as the report's columns write it: 10/12/2026.
QString reportDay(const QDate& day);

// The day as the report's sentences write it: 10 dicembre 2026.
QString reportLongDay(const QDate& day);

// The report as an aligned table for the terminal, under Italian headings, every name escaped so
// that it cannot steer the terminal, followed by the class's line; "nessuna partita registrata"
// when there is no game.
QString reportText(const ReportTable& table);

} // namespace brivadoro
