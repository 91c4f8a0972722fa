#include "score_chart.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "printed_page.h"
#include "records/record_text.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr double kPlotHeight = pt(62);
constexpr double kPlotPadding = pt(4); // between the frame and the first and last day
constexpr qsizetype kMostDots = 60;    // more days than this draw as a line alone
constexpr double kFramePen = mm(0.15);
constexpr double kLinePen = mm(0.35);
constexpr double kDotRadius = mm(0.5);
constexpr double kOneDayBand = mm(1.2);
constexpr QRgb kBand = 0xffc8d7ee;
constexpr QRgb kScoreLine = 0xff1f4e9a;
constexpr QStringView kShortDay = u"d MMM";
constexpr QStringView kShortDayAndYear = u"d MMM yyyy";

constexpr double kMostParts = 5;
constexpr std::array<double, 4> kRoundMultiples{1, 2, 5, 10};

// The least step of 1, 2 or 5 times a power of ten, 1 at least, that cuts the range into at most
// five parts.
double roundStep(double range) {
    const double least = range / kMostParts;
    const double power = std::max(1.0, std::pow(10.0, std::floor(std::log10(least))));
    return power *
           *std::ranges::find_if(kRoundMultiples, [&](double multiple) { return multiple * power >= least; });
}

QString scoreLabel(double score) {
    return QString::number(qint64(score));
}

} // namespace

ChartScale chartScaleOf(const ReportTable& table, const QDate& since) {
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

ScoreChart::ScoreChart(const ChartScale& scale, const QPaintDevice* device)
    : scale_(scale), captionFont_(printedFont(kTableSize, true)), labelFont_(printedFont(kSmallSize)) {
    const QFontMetricsF labels(labelFont_, device);
    labelHeight_ = labels.height();
    // Room for the top score's label too, which stands level with the frame's top.
    captionHeight_ = QFontMetricsF(captionFont_, device).height() + labelHeight_ / 2;
    labelWidth_ = std::max(labels.horizontalAdvance(scoreLabel(scale_.highest)),
                           labels.horizontalAdvance(scoreLabel(scale_.lowest))) +
                  pt(3);
}

double ScoreChart::height() const {
    return captionHeight_ + kPlotHeight + labelHeight_;
}

void ScoreChart::draw(QPainter& painter, const QRectF& cell, const PupilRow& row) const {
    drawCaption(painter, cell, row);
    painter.setFont(labelFont_);
    const QRectF plot(cell.left() + labelWidth_, cell.top() + captionHeight_, cell.width() - labelWidth_,
                      kPlotHeight);
    drawAxes(painter, plot);
    drawScores(painter, plot, row.days);
}

void ScoreChart::drawCaption(QPainter& painter, const QRectF& cell, const PupilRow& row) const {
    const QFontMetricsF caption(captionFont_, painter.device());
    const QString name = caption.elidedText(visibleText(shownName(row.name)), Qt::ElideRight, cell.width());
    painter.setFont(captionFont_);
    painter.setPen(colour(kInk));
    painter.drawText(QRectF(cell.topLeft(), QSizeF(cell.width(), captionHeight_)),
                     Qt::AlignLeft | Qt::AlignTop, name);
    const double nameWidth = caption.horizontalAdvance(name) + pt(4);
    const QFontMetricsF account(labelFont_, painter.device());
    painter.setFont(labelFont_);
    painter.setPen(colour(kMuted));
    painter.drawText(QRectF(cell.left() + nameWidth, cell.top(), cell.width() - nameWidth, captionHeight_),
                     Qt::AlignLeft | Qt::AlignTop,
                     account.elidedText(visibleText(row.account), Qt::ElideRight, cell.width() - nameWidth));
}

void ScoreChart::drawAxes(QPainter& painter, const QRectF& plot) const {
    painter.setPen(QPen(colour(kRule), kFramePen));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);
    if (scale_.lowest < 0) {
        QPen zero(colour(kRule), kFramePen, Qt::DashLine);
        painter.setPen(zero);
        const double y = yOf(0, plot);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    painter.setPen(colour(kMuted));
    const auto leftLabel = [&](double score) {
        const double y = yOf(score, plot);
        painter.drawText(
            QRectF(plot.left() - labelWidth_, y - labelHeight_ / 2, labelWidth_ - pt(2), labelHeight_),
            Qt::AlignRight | Qt::AlignVCenter, scoreLabel(score));
    };
    leftLabel(scale_.highest);
    leftLabel(scale_.lowest);
    if (scale_.lowest < 0)
        leftLabel(0);
    const QLocale locale(QLocale::Italian, QLocale::Italy);
    const QRectF under(plot.left(), plot.bottom(), plot.width(), labelHeight_);
    if (scale_.first == scale_.last) {
        painter.drawText(under, Qt::AlignHCenter | Qt::AlignTop,
                         locale.toString(scale_.last, kShortDayAndYear));
        return;
    }
    painter.drawText(under, Qt::AlignLeft | Qt::AlignTop, locale.toString(scale_.first, kShortDay));
    painter.drawText(under, Qt::AlignRight | Qt::AlignTop, locale.toString(scale_.last, kShortDayAndYear));
}

void ScoreChart::drawScores(QPainter& painter, const QRectF& plot, const QList<DayScores>& days) const {
    if (days.isEmpty())
        return;
    QPolygonF means;
    QPolygonF highest;
    QPolygonF lowest;
    for (const DayScores& day : days) {
        const double x = xOf(day.day, plot);
        means << QPointF(x, yOf(day.mean, plot));
        highest << QPointF(x, yOf(day.best, plot));
        lowest << QPointF(x, yOf(day.worst, plot));
    }
    QPainterPath band;
    if (days.size() == 1) {
        const QPointF half(kOneDayBand / 2, 0);
        band.addRect(QRectF(highest.first() - half, lowest.first() + half));
    } else {
        std::ranges::reverse(lowest);
        band.addPolygon(highest << lowest);
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

double ScoreChart::xOf(const QDate& day, const QRectF& plot) const {
    const auto span = double(scale_.first.daysTo(scale_.last));
    if (span == 0)
        return plot.center().x();
    return plot.left() + kPlotPadding +
           double(scale_.first.daysTo(day)) / span * (plot.width() - 2 * kPlotPadding);
}

double ScoreChart::yOf(double score, const QRectF& plot) const {
    return plot.bottom() - (score - scale_.lowest) / (scale_.highest - scale_.lowest) * plot.height();
}

} // namespace brivadoro
