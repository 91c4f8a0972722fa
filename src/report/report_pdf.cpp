#include "report_pdf.h"

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>
#include <vector>

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>

#include "printed_page.h"
#include "report_text.h"
#include "score_chart.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr double kMargin = pt(kPageMargin);
constexpr double kFooterDrop = pt(18);
constexpr double kBlockGap = pt(12);
constexpr double kCellPadding = pt(2.5);
constexpr double kColumnGap = pt(8);
constexpr double kBoxPadding = pt(6);
constexpr double kParagraphGap = pt(2);
constexpr int kChartsAcross = 3;
constexpr double kChartGap = pt(14);
constexpr qsizetype kLongestProblem = 300;

constexpr double kTitleSize = 18;
constexpr double kSectionSize = 12;

constexpr QRgb kNoFill = 0;
constexpr QRgb kStripe = 0xfff3f3f3;
constexpr QRgb kHeadingFill = 0xffdfe6ef;
constexpr QRgb kWarningFill = 0xfffff5d9;
constexpr QRgb kWarningRule = 0xffd19a00;

constexpr QStringView kTitle = u"Diario della classe";
constexpr QStringView kFolderLine = u"Cartella dei record: %1";
constexpr QStringView kEveryGame = u"Partite: tutte quelle del diario";
constexpr QStringView kSince = u"Partite: dal %1 in poi";
constexpr QStringView kPrinted = u"Stampato il %1 alle %2";
constexpr QStringView kProblemsTitle = u"Avvisi";
constexpr QStringView kOneMoreProblem =
    u"… e un altro avviso: brivadoro --report in un terminale li elenca tutti.";
constexpr QStringView kMoreProblems =
    u"… e altri %1 avvisi: brivadoro --report in un terminale li elenca tutti.";
constexpr QStringView kNoGames = u"Nessuna partita registrata.";
constexpr QStringView kChartsTitle = u"I punteggi giorno per giorno";
constexpr QStringView kChartsNote =
    u"Un punto per ogni giorno di gioco: la linea unisce le medie del giorno, la fascia va dal punteggio "
    u"più basso al più alto. Tutti i grafici hanno la stessa scala.";
constexpr QStringView kFooter = u"Brivadoro · Diario della classe · pagina %1 di %2";
constexpr QStringView kCannotDraw = u"non ho potuto disegnare le pagine del PDF";
constexpr QStringView kTime = u"HH:mm";

// The application the fonts need, on the offscreen platform, when the program has none yet.
class OffscreenApplication {
public:
    OffscreenApplication() {
        if (QCoreApplication::instance() == nullptr)
            application_ = std::make_unique<QGuiApplication>(argc_, arguments_.data());
    }

    // Whether fonts can be used: an application without a graphical side cannot have one added.
    [[nodiscard]] static bool drawable() {
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    }

private:
    std::array<char, 10> name_{"brivadoro"};
    std::array<char, 10> platformOption_{"-platform"};
    std::array<char, 10> platform_{"offscreen"};
    int argc_ = 3;
    std::array<char*, 4> arguments_{name_.data(), platformOption_.data(), platform_.data(), nullptr};
    std::unique_ptr<QGuiApplication> application_;
};

class PrintedReport {
public:
    PrintedReport(QPdfWriter& writer, const ReportTable& table, const PrintedReportHeading& heading)
        : writer_(writer), table_(table), heading_(heading),
          page_(writer.pageLayout().fullRectPixels(kDotsPerInch)),
          flow_(page_.adjusted(kMargin, kMargin, -kMargin, -kMargin)) {
        layOutTitle();
        layOutProblems();
        layOutTable();
        layOutCharts();
    }

    // Draws every page; false when the writer could not start a page.
    bool paint(QPainter& painter) const {
        for (int page = 0; page < flow_.pages(); ++page) {
            if (page > 0 && !writer_.newPage())
                return false;
            flow_.paint(painter, page);
            painter.setFont(printedFont(kSmallSize));
            painter.setPen(colour(kMuted));
            const QRectF footer(page_.left(), page_.bottom() - kMargin + kFooterDrop, page_.width(),
                                pt(kSmallSize * 2));
            painter.drawText(footer, Qt::AlignHCenter | Qt::AlignTop,
                             kFooter.arg(QString::number(page + 1), QString::number(flow_.pages())));
        }
        return true;
    }

private:
    [[nodiscard]] QFontMetricsF metrics(const QFont& font) const { return {font, &writer_}; }

    void addLine(const QString& text, const QFont& font, QRgb ink) {
        flow_.add(metrics(font).height(), [text, font, ink](QPainter& painter, const QRectF& area) {
            painter.setFont(font);
            painter.setPen(colour(ink));
            const QString shown =
                QFontMetricsF(font, painter.device()).elidedText(text, Qt::ElideMiddle, area.width());
            painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, shown);
        });
    }

    void layOutTitle() {
        addLine(kTitle.toString(), printedFont(kTitleSize, true), kInk);
        flow_.skip(pt(4));
        addLine(kFolderLine.arg(heading_.folder), printedFont(kTextSize), kInk);
        addLine(heading_.since.isValid() ? kSince.arg(reportLongDay(heading_.since)) : kEveryGame.toString(),
                printedFont(kTextSize), kInk);
        addLine(kPrinted.arg(reportLongDay(heading_.printed.date()), heading_.printed.time().toString(kTime)),
                printedFont(kTextSize), kMuted);
        flow_.skip(kBlockGap);
    }

    // The problems in a box of their own, on the first page: a few at most, each a few lines at most.
    void layOutProblems() {
        if (heading_.problems.isEmpty())
            return;
        const QFont titleFont = printedFont(kTextSize, true);
        const QFont font = printedFont(kTextSize);
        const double inner = flow_.width() - 2 * kBoxPadding;
        std::vector<std::shared_ptr<QTextLayout>> paragraphs;
        for (const QString& problem :
             heading_.problems.first(std::min(heading_.problems.size(), kPrintedProblems))) {
            const QString text =
                problem.size() > kLongestProblem ? problem.first(kLongestProblem) + u'…' : problem;
            paragraphs.push_back(wrapped(text, font, inner, &writer_));
        }
        if (const qsizetype more = heading_.problems.size() - kPrintedProblems; more > 0)
            paragraphs.push_back(
                wrapped(more == 1 ? kOneMoreProblem.toString() : kMoreProblems.arg(QString::number(more)),
                        font, inner, &writer_));
        const double titleHeight = metrics(titleFont).height();
        const double height = std::accumulate(
            paragraphs.cbegin(), paragraphs.cend(), 2 * kBoxPadding + titleHeight,
            [](double sum, const auto& paragraph) { return sum + heightOf(*paragraph) + kParagraphGap; });
        flow_.add(height, [paragraphs, titleFont, titleHeight](QPainter& painter, const QRectF& area) {
            painter.setPen(QPen(colour(kWarningRule), kRulePen));
            painter.setBrush(colour(kWarningFill));
            painter.drawRect(area);
            painter.setFont(titleFont);
            painter.setPen(colour(kInk));
            QPointF at = area.topLeft() + QPointF(kBoxPadding, kBoxPadding);
            painter.drawText(QRectF(at, QSizeF(area.width(), titleHeight)), Qt::AlignLeft | Qt::AlignVCenter,
                             kProblemsTitle.toString());
            at.ry() += titleHeight;
            for (const auto& paragraph : paragraphs) {
                paragraph->draw(&painter, at);
                at.ry() += heightOf(*paragraph) + kParagraphGap;
            }
        });
        flow_.skip(kBlockGap);
    }

    // The columns' widths: each as wide as its widest cell, the name and the account narrowed, and
    // their cells cut short, when the page is not wide enough for all.
    [[nodiscard]] std::array<double, kReportColumns> columnWidths(const QList<ReportCells>& rows) const {
        const QFontMetricsF headingMetrics = metrics(printedFont(kTableSize, true));
        const QFontMetricsF cellMetrics = metrics(printedFont(kTableSize));
        std::array<double, kReportColumns> widths{};
        for (std::size_t column = 0; column < widths.size(); ++column)
            widths[column] = headingMetrics.horizontalAdvance(kReportHeadings[column].toString());
        for (const ReportCells& cells : rows) {
            for (std::size_t column = 0; column < widths.size(); ++column)
                widths[column] = std::max(widths[column], cellMetrics.horizontalAdvance(cells[column]));
        }
        double others = kColumnGap * (kReportColumns - 1);
        for (std::size_t column = 2; column < widths.size(); ++column)
            others += widths[column];
        const double left = flow_.width() - others;
        if (widths[0] + widths[1] > left) {
            widths[1] = std::min(widths[1], left / 3);
            widths[0] = left - widths[1];
        }
        return widths;
    }

    [[nodiscard]] double tableRowHeight(const QFont& font) const {
        return metrics(font).height() + 2 * kCellPadding;
    }

    void addTableRow(const ReportCells& cells, const std::array<double, kReportColumns>& widths,
                     const QFont& font, QRgb fill) {
        flow_.add(tableRowHeight(font), [cells, widths, font, fill](QPainter& painter, const QRectF& area) {
            if (fill != kNoFill)
                painter.fillRect(area, colour(fill));
            painter.setFont(font);
            painter.setPen(colour(kInk));
            const QFontMetricsF fontMetrics(font, painter.device());
            double x = area.left();
            for (std::size_t column = 0; column < cells.size(); ++column) {
                const QRectF cell(x, area.top(), widths[column], area.height());
                const Qt::Alignment align = kNumericColumns[column] ? Qt::AlignRight : Qt::AlignLeft;
                painter.drawText(cell, static_cast<int>(align | Qt::AlignVCenter),
                                 fontMetrics.elidedText(cells[column], Qt::ElideRight, widths[column]));
                x += widths[column] + kColumnGap;
            }
        });
    }

    void layOutTable() {
        if (table_.rows.isEmpty()) {
            addLine(kNoGames.toString(), printedFont(kTextSize), kInk);
            return;
        }
        QList<ReportCells> rows;
        rows.reserve(table_.rows.size());
        for (const PupilRow& row : table_.rows)
            rows << reportCells(row);
        const auto widths = columnWidths(rows);
        const ReportCells headings = reportHeadingCells();
        const QFont headingFont = printedFont(kTableSize, true);
        const QFont font = printedFont(kTableSize);
        const double rowHeight = tableRowHeight(font);
        const double headingHeight = tableRowHeight(headingFont);
        // The headings start the table on every page, never alone at the foot of one.
        for (qsizetype index = 0; index < rows.size(); ++index) {
            if (!flow_.fits(index == 0 ? headingHeight + rowHeight : rowHeight))
                flow_.newPage();
            if (index == 0 || flow_.atTop())
                addTableRow(headings, widths, headingFont, kHeadingFill);
            addTableRow(rows[index], widths, font, index % 2 == 1 ? kStripe : kNoFill);
        }
        flow_.skip(pt(6));
        addLine(classLineText(table_.total), printedFont(kTextSize, true), kInk);
        flow_.skip(kBlockGap);
    }

    void layOutCharts() {
        if (table_.rows.isEmpty())
            return;
        const double cellWidth = (flow_.width() - kChartGap * (kChartsAcross - 1)) / kChartsAcross;
        const ScoreChart chart(chartScaleOf(table_, heading_.since), &writer_);
        const double chartHeight = chart.height() + kChartGap;
        const auto title =
            wrapped(kChartsTitle.toString(), printedFont(kSectionSize, true), flow_.width(), &writer_);
        const auto note = wrapped(kChartsNote.toString(), printedFont(kSmallSize), flow_.width(), &writer_);
        // The section's title stays with its first row of charts.
        if (!flow_.fits(heightOf(*title) + heightOf(*note) + pt(6) + chartHeight))
            flow_.newPage();
        flow_.add(heightOf(*title) + pt(2), [title](QPainter& painter, const QRectF& area) {
            painter.setPen(colour(kInk));
            title->draw(&painter, area.topLeft());
        });
        flow_.add(heightOf(*note) + pt(6), [note](QPainter& painter, const QRectF& area) {
            painter.setPen(colour(kMuted));
            note->draw(&painter, area.topLeft());
        });
        for (qsizetype first = 0; first < table_.rows.size(); first += kChartsAcross) {
            const QList<PupilRow> across = table_.rows.mid(first, kChartsAcross);
            flow_.add(chartHeight, [across, chart, cellWidth](QPainter& painter, const QRectF& area) {
                for (qsizetype index = 0; index < across.size(); ++index) {
                    const QRectF cell(area.left() + double(index) * (cellWidth + kChartGap), area.top(),
                                      cellWidth, area.height() - kChartGap);
                    chart.draw(painter, cell, across[index]);
                }
            });
        }
    }

    QPdfWriter& writer_;
    const ReportTable& table_;
    const PrintedReportHeading& heading_;
    QRectF page_;
    PageFlow flow_;
};

} // namespace

QString writePdfReport(const QString& path, const ReportTable& table, const PrintedReportHeading& heading) {
    const OffscreenApplication application;
    if (!OffscreenApplication::drawable())
        return kCannotDraw.toString();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QPdfWriter writer(&file);
    writer.setResolution(kDotsPerInch);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setTitle(kTitle.toString());
    writer.setCreator(u"Brivadoro"_s);
    const PrintedReport report(writer, table, heading);
    QPainter painter;
    if (!painter.begin(&writer)) {
        file.cancelWriting();
        return kCannotDraw.toString();
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const bool painted = report.paint(painter);
    // The writer puts the document's end in the file when the painter ends: before the file is committed.
    painter.end();
    if (!painted) {
        file.cancelWriting();
        return kCannotDraw.toString();
    }
    return file.commit() ? QString() : file.errorString();
}

} // namespace brivadoro
