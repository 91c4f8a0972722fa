#include "report_pdf.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextLayout>

#include "records/record_text.h"
#include "report_text.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

// The writer's own resolution: every length below is given in points or millimetres and turned into
// its dots, so that no pen is left at the one-dot hairline a width of 0 would give.
constexpr int kDotsPerInch = 1200;
constexpr double pt(double points) {
    return points * kDotsPerInch / 72;
}
constexpr double mm(double millimetres) {
    return millimetres * kDotsPerInch / 25.4;
}

constexpr double kMargin = pt(kPageMargin);
constexpr double kFooterDrop = pt(18);
constexpr double kBlockGap = pt(12);
constexpr double kCellPadding = pt(2.5);
constexpr double kColumnGap = pt(8);
constexpr double kBoxPadding = pt(6);
constexpr int kChartsAcross = 3;
constexpr double kChartGap = pt(14);
constexpr double kPlotHeight = pt(62);
constexpr double kPlotPadding = pt(4); // between the frame and the first and last day
constexpr qsizetype kMostDots = 60;    // more days than this draw as a line alone
constexpr qsizetype kLongestProblem = 300;

constexpr double kTitleSize = 18;
constexpr double kSectionSize = 12;
constexpr double kTextSize = 9.5;
constexpr double kTableSize = 8.5;
constexpr double kSmallSize = 7.5;

constexpr double kRulePen = mm(0.2);
constexpr double kFramePen = mm(0.15);
constexpr double kLinePen = mm(0.35);
constexpr double kDotRadius = mm(0.5);
constexpr double kOneDayBand = mm(1.2);

constexpr QRgb kNoFill = 0;
constexpr QRgb kInk = 0xff202020;
constexpr QRgb kMuted = 0xff5f5f5f;
constexpr QRgb kRule = 0xffa8a8a8;
constexpr QRgb kStripe = 0xfff3f3f3;
constexpr QRgb kHeadingFill = 0xffdfe6ef;
constexpr QRgb kWarningFill = 0xfffff5d9;
constexpr QRgb kWarningRule = 0xffd19a00;
constexpr QRgb kBand = 0xffc8d7ee;
constexpr QRgb kScoreLine = 0xff1f4e9a;

constexpr QStringView kFontFamily = u"Liberation Sans";
constexpr QStringView kTitle = u"Diario della classe";
constexpr QStringView kFolderLine = u"Cartella dei record: %1";
constexpr QStringView kEveryGame = u"Partite: tutte quelle del diario";
constexpr QStringView kSince = u"Partite: dal %1 in poi";
constexpr QStringView kPrinted = u"Stampato il %1 alle %2";
constexpr QStringView kProblemsTitle = u"Avvisi";
constexpr QStringView kMoreProblems =
    u"… e altri %1 avvisi: brivadoro --report in un terminale li elenca tutti.";
constexpr QStringView kNoGames = u"Nessuna partita registrata.";
constexpr QStringView kChartsTitle = u"I punteggi giorno per giorno";
constexpr QStringView kChartsNote =
    u"Un punto per ogni giorno di gioco: la linea unisce le medie del giorno, la fascia va dal punteggio "
    u"più basso al più alto. Tutti i grafici hanno la stessa scala.";
constexpr QStringView kFooter = u"Brivadoro · Diario della classe · pagina %1 di %2";
constexpr QStringView kCannotDraw = u"non ho potuto disegnare le pagine del PDF";
constexpr QStringView kLongDay = u"d MMMM yyyy";
constexpr QStringView kShortDay = u"d MMM";
constexpr QStringView kShortDayAndYear = u"d MMM yyyy";
constexpr QStringView kTime = u"HH:mm";

QColor colour(QRgb rgb) {
    return QColor::fromRgb(rgb);
}

QLocale italian() {
    return {QLocale::Italian, QLocale::Italy};
}

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

QFont fontOf(double points, bool bold = false) {
    QFont font(kFontFamily.toString());
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Text in lines that break between words, or anywhere in a word longer than the width.
std::shared_ptr<QTextLayout> wrapped(const QString& text, const QFont& font, double width,
                                     QPaintDevice* device) {
    auto layout = std::make_shared<QTextLayout>(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->beginLayout();
    double height = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition({0, height});
        height += line.height();
    }
    layout->endLayout();
    return layout;
}

double heightOf(const QTextLayout& layout) {
    return layout.boundingRect().height();
}

// The scale all the charts share: the days across, the scores up.
struct ChartScale {
    QDate first;
    QDate last;
    double lowest = 0; // whole numbers, as far apart as scores can be
    double highest = 1;
};

// A step of 1, 2 or 5 times a power of ten that cuts the range into at most five parts.
double roundStep(double range) {
    for (double power = 1;; power *= 10) {
        for (const double step : {power, 2 * power, 5 * power}) {
            if (range <= 5 * step)
                return step;
        }
    }
}

ChartScale scaleOf(const ReportTable& table, const QDate& since) {
    ChartScale scale{since, since, 0, 0};
    for (const PupilRow& row : table.rows) {
        for (const DayScores& day : row.days) {
            if (!scale.first.isValid() || day.day < scale.first)
                scale.first = day.day;
            if (!scale.last.isValid() || day.day > scale.last)
                scale.last = day.day;
            scale.lowest = std::min(scale.lowest, double(day.worst));
            scale.highest = std::max(scale.highest, double(day.best));
        }
    }
    const double step = roundStep(std::max(1.0, scale.highest - scale.lowest));
    scale.lowest = std::floor(scale.lowest / step) * step;
    scale.highest = std::max(std::ceil(scale.highest / step) * step, scale.lowest + step);
    return scale;
}

QString scoreLabel(double score) {
    return QString::number(qint64(score));
}

// Where blocks go, top to bottom, page after page; the content of a block is drawn once every page
// is known, so that each page can say how many there are.
class PageFlow {
public:
    using Draw = std::function<void(QPainter& painter, const QRectF& area)>;

    PageFlow(double left, double width, double top, double bottom)
        : left_(left), width_(width), top_(top), bottom_(bottom), y_(top) {}

    [[nodiscard]] double width() const { return width_; }
    [[nodiscard]] int pages() const { return page_ + 1; }
    [[nodiscard]] bool atTop() const { return y_ == top_; }
    // Whether a block of that height fits above the bottom margin; on an empty page, any block does.
    [[nodiscard]] bool fits(double height) const { return y_ + height <= bottom_ || atTop(); }

    void newPage() {
        ++page_;
        y_ = top_;
    }

    // A block across the page, on a new page when it would cross the bottom margin.
    void add(double height, Draw draw) {
        if (!fits(height))
            newPage();
        blocks_.push_back({page_, QRectF(left_, y_, width_, height), std::move(draw)});
        y_ += height;
    }

    void skip(double height) {
        if (y_ != top_)
            y_ = std::min(y_ + height, bottom_);
    }

    void paint(QPainter& painter, int page) const {
        for (const Block& block : blocks_) {
            if (block.page == page)
                block.draw(painter, block.area);
        }
    }

private:
    struct Block {
        int page;
        QRectF area;
        Draw draw;
    };

    double left_;
    double width_;
    double top_;
    double bottom_;
    double y_;
    int page_ = 0;
    std::vector<Block> blocks_;
};

class PrintedReport {
public:
    PrintedReport(QPdfWriter& writer, const ReportTable& table, const PrintedReportHeading& heading)
        : writer_(writer), table_(table), heading_(heading),
          page_(writer.pageLayout().fullRectPixels(kDotsPerInch)),
          flow_(page_.left() + kMargin, page_.width() - 2 * kMargin, page_.top() + kMargin,
                page_.bottom() - kMargin),
          scale_(scaleOf(table, heading.since)) {
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
            painter.setFont(fontOf(kSmallSize));
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

    void addWrapped(const QString& text, const QFont& font, QRgb ink) {
        const auto layout = wrapped(text, font, flow_.width(), &writer_);
        flow_.add(heightOf(*layout), [layout, ink](QPainter& painter, const QRectF& area) {
            painter.setPen(colour(ink));
            layout->draw(&painter, area.topLeft());
        });
    }

    void layOutTitle() {
        const QLocale locale = italian();
        addLine(kTitle.toString(), fontOf(kTitleSize, true), kInk);
        flow_.skip(pt(4));
        addLine(kFolderLine.arg(heading_.folder), fontOf(kTextSize), kInk);
        addLine(heading_.since.isValid() ? kSince.arg(locale.toString(heading_.since, kLongDay))
                                         : kEveryGame.toString(),
                fontOf(kTextSize), kInk);
        addLine(kPrinted.arg(locale.toString(heading_.printed.date(), kLongDay),
                             locale.toString(heading_.printed.time(), kTime)),
                fontOf(kTextSize), kMuted);
        flow_.skip(kBlockGap);
    }

    // The problems in a box of their own, on the first page: a few at most, each a few lines at most.
    void layOutProblems() {
        if (heading_.problems.isEmpty())
            return;
        const QFont titleFont = fontOf(kTextSize, true);
        const QFont font = fontOf(kTextSize);
        const double inner = flow_.width() - 2 * kBoxPadding;
        std::vector<std::shared_ptr<QTextLayout>> paragraphs;
        for (const QString& problem :
             heading_.problems.first(std::min(heading_.problems.size(), kPrintedProblems))) {
            const QString text =
                problem.size() > kLongestProblem ? problem.first(kLongestProblem) + u'…' : problem;
            paragraphs.push_back(wrapped(text, font, inner, &writer_));
        }
        if (const qsizetype more = heading_.problems.size() - kPrintedProblems; more > 0)
            paragraphs.push_back(wrapped(kMoreProblems.arg(QString::number(more)), font, inner, &writer_));
        const double titleHeight = metrics(titleFont).height();
        double height = 2 * kBoxPadding + titleHeight;
        for (const auto& paragraph : paragraphs)
            height += heightOf(*paragraph) + pt(2);
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
                at.ry() += heightOf(*paragraph) + pt(2);
            }
        });
        flow_.skip(kBlockGap);
    }

    // The columns' widths: each as wide as its widest cell, the name and the account narrowed, and
    // their cells cut short, when the page is not wide enough for all.
    [[nodiscard]] std::array<double, kReportColumns> columnWidths(const QList<ReportCells>& rows) const {
        const QFontMetricsF headingMetrics = metrics(fontOf(kTableSize, true));
        const QFontMetricsF cellMetrics = metrics(fontOf(kTableSize));
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

    void addTableRow(const ReportCells& cells, const std::array<double, kReportColumns>& widths,
                     const QFont& font, QRgb fill) {
        const double height = metrics(font).height() + 2 * kCellPadding;
        flow_.add(height, [cells, widths, font, fill](QPainter& painter, const QRectF& area) {
            if (fill != kNoFill)
                painter.fillRect(area, colour(fill));
            painter.setFont(font);
            painter.setPen(colour(kInk));
            const QFontMetricsF fontMetrics(font, painter.device());
            double x = area.left();
            for (std::size_t column = 0; column < cells.size(); ++column) {
                const QRectF cell(x, area.top(), widths[column], area.height());
                const Qt::Alignment align = kNumericColumns[column] ? Qt::AlignRight : Qt::AlignLeft;
                painter.drawText(cell, align | Qt::AlignVCenter,
                                 fontMetrics.elidedText(cells[column], Qt::ElideRight, widths[column]));
                x += widths[column] + kColumnGap;
            }
        });
    }

    void layOutTable() {
        if (table_.rows.isEmpty()) {
            addLine(kNoGames.toString(), fontOf(kTextSize), kInk);
            return;
        }
        QList<ReportCells> rows;
        rows.reserve(table_.rows.size());
        for (const PupilRow& row : table_.rows)
            rows << reportCells(row);
        const auto widths = columnWidths(rows);
        ReportCells headings;
        std::ranges::transform(kReportHeadings, headings.begin(), &QStringView::toString);
        const QFont headingFont = fontOf(kTableSize, true);
        const QFont font = fontOf(kTableSize);
        const double rowHeight = metrics(font).height() + 2 * kCellPadding;
        const double headingHeight = metrics(headingFont).height() + 2 * kCellPadding;
        // The headings start the table on every page, never alone at the foot of one.
        for (qsizetype index = 0; index < rows.size(); ++index) {
            if (!flow_.fits(index == 0 ? headingHeight + rowHeight : rowHeight))
                flow_.newPage();
            if (index == 0 || flow_.atTop())
                addTableRow(headings, widths, headingFont, kHeadingFill);
            addTableRow(rows[index], widths, font, index % 2 == 1 ? kStripe : kNoFill);
        }
        flow_.skip(pt(6));
        addLine(classLineText(table_.total), fontOf(kTextSize, true), kInk);
        flow_.skip(kBlockGap);
    }

    void layOutCharts() {
        if (table_.rows.isEmpty())
            return;
        const double cellWidth = (flow_.width() - kChartGap * (kChartsAcross - 1)) / kChartsAcross;
        const QFont captionFont = fontOf(kTableSize, true);
        const QFont labelFont = fontOf(kSmallSize);
        const double captionHeight = metrics(captionFont).height() + pt(2);
        const double labelHeight = metrics(labelFont).height();
        const double chartHeight = captionHeight + kPlotHeight + labelHeight + kChartGap;
        const auto title =
            wrapped(kChartsTitle.toString(), fontOf(kSectionSize, true), flow_.width(), &writer_);
        const auto note = wrapped(kChartsNote.toString(), fontOf(kSmallSize), flow_.width(), &writer_);
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
        const Chart chart{scale_, captionFont, labelFont, captionHeight, labelHeight};
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

    // One pupil's chart: the name, the day's range as a band and its mean as a line, on the shared scale.
    struct Chart {
        ChartScale scale;
        QFont captionFont;
        QFont labelFont;
        double captionHeight;
        double labelHeight;

        void draw(QPainter& painter, const QRectF& cell, const PupilRow& row) const {
            drawCaption(painter, cell, row);
            painter.setFont(labelFont);
            const QFontMetricsF labels(labelFont, painter.device());
            const QString highest = scoreLabel(scale.highest);
            const QString lowest = scoreLabel(scale.lowest);
            const double labelWidth =
                std::max(labels.horizontalAdvance(highest), labels.horizontalAdvance(lowest)) + pt(3);
            const QRectF plot(cell.left() + labelWidth, cell.top() + captionHeight, cell.width() - labelWidth,
                              kPlotHeight);
            drawAxes(painter, plot, labelWidth);
            drawScores(painter, plot, row.days);
        }

        void drawCaption(QPainter& painter, const QRectF& cell, const PupilRow& row) const {
            const QFontMetricsF caption(captionFont, painter.device());
            const QString name =
                caption.elidedText(visibleText(shownName(row.name)), Qt::ElideRight, cell.width());
            painter.setFont(captionFont);
            painter.setPen(colour(kInk));
            painter.drawText(QRectF(cell.topLeft(), QSizeF(cell.width(), captionHeight)),
                             Qt::AlignLeft | Qt::AlignTop, name);
            const double nameWidth = caption.horizontalAdvance(name) + pt(4);
            const QFontMetricsF account(labelFont, painter.device());
            painter.setFont(labelFont);
            painter.setPen(colour(kMuted));
            painter.drawText(
                QRectF(cell.left() + nameWidth, cell.top(), cell.width() - nameWidth, captionHeight),
                Qt::AlignLeft | Qt::AlignTop,
                account.elidedText(visibleText(row.account), Qt::ElideRight, cell.width() - nameWidth));
        }

        void drawAxes(QPainter& painter, const QRectF& plot, double labelWidth) const {
            painter.setPen(QPen(colour(kRule), kFramePen));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(plot);
            if (scale.lowest < 0) {
                QPen zero(colour(kRule), kFramePen, Qt::DashLine);
                painter.setPen(zero);
                const double y = yOf(0, plot);
                painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
            }
            painter.setPen(colour(kMuted));
            const auto leftLabel = [&](double score) {
                const double y = yOf(score, plot);
                painter.drawText(
                    QRectF(plot.left() - labelWidth, y - labelHeight / 2, labelWidth - pt(2), labelHeight),
                    Qt::AlignRight | Qt::AlignVCenter, scoreLabel(score));
            };
            leftLabel(scale.highest);
            leftLabel(scale.lowest);
            if (scale.lowest < 0)
                leftLabel(0);
            const QLocale locale = italian();
            const QRectF under(plot.left(), plot.bottom(), plot.width(), labelHeight);
            if (scale.first == scale.last) {
                painter.drawText(under, Qt::AlignHCenter | Qt::AlignTop,
                                 locale.toString(scale.last, kShortDayAndYear));
                return;
            }
            painter.drawText(under, Qt::AlignLeft | Qt::AlignTop, locale.toString(scale.first, kShortDay));
            painter.drawText(under, Qt::AlignRight | Qt::AlignTop,
                             locale.toString(scale.last, kShortDayAndYear));
        }

        void drawScores(QPainter& painter, const QRectF& plot, const QList<DayScores>& days) const {
            if (days.isEmpty())
                return;
            QPainterPath band;
            QPolygonF means;
            for (const DayScores& day : days)
                means << QPointF(xOf(day.day, plot), yOf(day.mean, plot));
            if (days.size() == 1) {
                const double x = means.first().x();
                band.addRect(QRectF(QPointF(x - kOneDayBand / 2, yOf(days.first().best, plot)),
                                    QPointF(x + kOneDayBand / 2, yOf(days.first().worst, plot))));
            } else {
                band.moveTo(means.first().x(), yOf(days.first().best, plot));
                for (const DayScores& day : days)
                    band.lineTo(xOf(day.day, plot), yOf(day.best, plot));
                for (auto day = days.crbegin(); day != days.crend(); ++day)
                    band.lineTo(xOf(day->day, plot), yOf(day->worst, plot));
                band.closeSubpath();
            }
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour(kBand));
            painter.drawPath(band);
            QPen line(colour(kScoreLine), kLinePen);
            line.setJoinStyle(Qt::RoundJoin);
            line.setCapStyle(Qt::RoundCap);
            painter.setPen(line);
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(means);
            if (days.size() > kMostDots)
                return;
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour(kScoreLine));
            for (const QPointF& mean : means)
                painter.drawEllipse(mean, kDotRadius, kDotRadius);
        }

        [[nodiscard]] double xOf(const QDate& day, const QRectF& plot) const {
            const auto span = double(scale.first.daysTo(scale.last));
            if (span == 0)
                return plot.center().x();
            return plot.left() + kPlotPadding +
                   double(scale.first.daysTo(day)) / span * (plot.width() - 2 * kPlotPadding);
        }

        [[nodiscard]] double yOf(double score, const QRectF& plot) const {
            return plot.bottom() - (score - scale.lowest) / (scale.highest - scale.lowest) * plot.height();
        }
    };

    QPdfWriter& writer_;
    const ReportTable& table_;
    const PrintedReportHeading& heading_;
    QRectF page_;
    PageFlow flow_;
    ChartScale scale_;
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
