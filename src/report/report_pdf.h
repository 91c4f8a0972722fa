#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "report_table.h"

namespace brivadoro {

// What the printed report says around the table: whose games and since when, when it was printed,
// and the problems met reading them, which a teacher who started it from the menu sees nowhere else.
struct PrintedReportHeading {
    QString folder; // the records folder: the class's
    QDate since;    // null for every game
    QDateTime printed;
    QStringList problems; // sentences, for the first page's "Avvisi"
};

// The blank border every page keeps, in points (about 15 mm); only the page's number goes below it.
inline constexpr double kPageMargin = 42;

// The most problems the first page lists; the others are counted.
inline constexpr qsizetype kPrintedProblems = 8;

// Writes the report as a PDF of A4 pages: the heading, the table and the class's line, then one chart
// per pupil of the scores day by day, every chart on the same scale. A page break never cuts a row
// or a chart, and the table's headings start every page it goes on to. The text is in Liberation
// Sans, embedded, so that it can be searched and copied.
// Nothing stands at path unless all of it was written. It draws on Qt's offscreen platform, with an
// application of its own when the program has none yet, so it needs no display.
// Returns why the file could not be written; empty when it was.
QString writePdfReport(const QString& path, const ReportTable& table, const PrintedReportHeading& heading);

} // namespace brivadoro
