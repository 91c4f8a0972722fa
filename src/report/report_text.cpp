#include "report_text.h"

#include <algorithm>
#include <array>

#include <QLocale>
#include <QTextBoundaryFinder>

#include "records/record_text.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr qsizetype kColumns = kReportColumns;
constexpr QStringView kColumnGap = u"  ";
constexpr QStringView kNoGames = u"nessuna partita registrata\n";
constexpr QStringView kClassLine = u"Classe: %1, %2, mediana degli ultimi punteggi %3";
constexpr QStringView kCounted = u"%1 %2";
constexpr QStringView kGame = u"partita";
constexpr QStringView kGames = u"partite";
constexpr QStringView kPupil = u"alunno";
constexpr QStringView kPupils = u"alunni";
constexpr QStringView kDayFormat = u"dd/MM/yyyy";
constexpr QStringView kLongDayFormat = u"d MMMM yyyy";

using Cells = ReportCells;

// The columns a text takes on the terminal: one per character as the reader sees it.
qsizetype widthOf(const QString& text) {
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype width = 0;
    while (characters.toNextBoundary() >= 0)
        ++width;
    return width;
}

QString decimal(double value) {
    return QLocale(QLocale::Italian, QLocale::Italy).toString(value, 'f', 1);
}

QString lineOf(const Cells& cells, const std::array<qsizetype, kColumns>& widths) {
    QString line;
    for (qsizetype column = 0; column < kColumns; ++column) {
        const QString& cell = cells[std::size_t(column)];
        const QString padding(widths[std::size_t(column)] - widthOf(cell), u' ');
        if (column > 0)
            line += kColumnGap;
        line += kNumericColumns[std::size_t(column)] ? padding + cell : cell + padding;
    }
    while (line.endsWith(u' '))
        line.chop(1);
    return line + u'\n';
}

// The median as a whole number when it is one.
QString medianText(double median) {
    return median == double(qint64(median)) ? QString::number(qint64(median)) : decimal(median);
}

} // namespace

ReportCells reportCells(const PupilRow& row) {
    const QLocale italian(QLocale::Italian, QLocale::Italy);
    return {visibleText(shownName(row.name)),
            visibleText(row.account),
            italian.toString(row.games),
            QString::number(row.best),
            QString::number(row.last),
            decimal(row.recentMean),
            trendText(row.trend),
            reportDay(row.lastDay)};
}

QString reportDay(const QDate& day) {
    return day.toString(kDayFormat);
}

QString reportLongDay(const QDate& day) {
    return QLocale(QLocale::Italian, QLocale::Italy).toString(day, kLongDayFormat);
}

QString classLineText(const ClassLine& total) {
    return kClassLine.arg(gamesText(total.games), pupilsText(total.pupils), medianText(total.medianLast));
}

QString gamesText(qsizetype games) {
    return kCounted.arg(QLocale(QLocale::Italian, QLocale::Italy).toString(games),
                        games == 1 ? kGame : kGames);
}

QString pupilsText(qsizetype pupils) {
    return kCounted.arg(QLocale(QLocale::Italian, QLocale::Italy).toString(pupils),
                        pupils == 1 ? kPupil : kPupils);
}

ReportCells reportHeadingCells() {
    ReportCells headings;
    std::ranges::transform(kReportHeadings, headings.begin(), &QStringView::toString);
    return headings;
}

QString reportText(const ReportTable& table) {
    if (table.rows.isEmpty())
        return kNoGames.toString();
    QList<Cells> lines{reportHeadingCells()};
    for (const PupilRow& row : table.rows)
        lines << reportCells(row);
    std::array<qsizetype, kColumns> widths{};
    for (const Cells& cells : lines) {
        for (qsizetype column = 0; column < kColumns; ++column)
            widths[std::size_t(column)] =
                std::max(widths[std::size_t(column)], widthOf(cells[std::size_t(column)]));
    }
    QString text;
    for (const Cells& cells : lines)
        text += lineOf(cells, widths);
    return text + u'\n' + classLineText(table.total) + u'\n';
}

} // namespace brivadoro
