#pragma once

#include <QDate>
#include <QFont>
#include <QList>
#include <QRectF>

#include "report_table.h"

class QPainter;
class QPaintDevice;

namespace brivadoro {

// The scale that all the pupils' charts share: the days across, the scores up.
struct ChartScale {
    QDate first;
    QDate last;
    double lowest = 0; // whole numbers, 0 or below, as far apart as scores can be
    double highest = 1;
};

// From the since day, or the first day played, to the last; from the lowest score, or 0, to the
// highest, both rounded out to a step of 1, 2 or 5 times a power of ten.
ChartScale chartScaleOf(const ReportTable& table, const QDate& since);

// One pupil's chart of the scores day by day: the name and the account over it, a band from the
// day's lowest score to its highest, and a line through the day's means.
class ScoreChart {
public:
    ScoreChart(const ChartScale& scale, const QPaintDevice* device);

    // The height of every chart, in the device's dots.
    [[nodiscard]] double height() const;
    void draw(QPainter& painter, const QRectF& cell, const PupilRow& row) const;

private:
    void drawCaption(QPainter& painter, const QRectF& cell, const PupilRow& row) const;
    void drawAxes(QPainter& painter, const QRectF& plot) const;
    void drawScores(QPainter& painter, const QRectF& plot, const QList<DayScores>& days) const;
    [[nodiscard]] double xOf(const QDate& day, const QRectF& plot) const;
    [[nodiscard]] double yOf(double score, const QRectF& plot) const;

    ChartScale scale_;
    QFont captionFont_;
    QFont labelFont_;
    double captionHeight_;
    double labelHeight_;
    double labelWidth_; // of the scores' labels left of the frame, the widest of them and a gap
};

} // namespace brivadoro
