#pragma once

#include <array>
#include <map>
#include <utility>

#include <sys/types.h>

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include "diary/diary_line.h"
#include "diary/diary_reader.h"

namespace brivadoro {

// Where a pupil's last five scores are heading: their least-squares slope, a point a game or more
// either way; unknown with fewer than two games.
enum class Trend { Unknown, Rising, Steady, Falling };

// One day of a pupil's games, for the chart of the score over time.
struct DayScores {
    QDate day;
    qsizetype games = 0;
    int worst = 0;
    int best = 0;
    double mean = 0;
};

// One pupil's line of the report: one account, one name as typed there, whatever its case, blanks
// around it or Unicode composition.
struct PupilRow {
    QString name; // the spelling typed most often, whole
    QString account;
    qsizetype games = 0;
    int best = 0;
    int last = 0;
    double recentMean = 0; // of the last five scores
    Trend trend = Trend::Unknown;
    QDate lastDay;         // the day of the last game
    QList<DayScores> days; // every day played, the earliest first
};

struct ClassLine {
    qsizetype games = 0;
    qsizetype pupils = 0;
    double medianLast = 0; // the median of the pupils' last scores
};

// The report, computed apart from any rendering of it: the rows by name, whatever the case, then
// by account.
struct ReportTable {
    QList<PupilRow> rows;
    ClassLine total;
};

// How many of the last games the mean and the trend take.
inline constexpr qsizetype kRecentGames = 5;
// The most characters of a name shown in a column, the ellipsis included.
inline constexpr qsizetype kShownNameLength = 24;

// The name as a column shows it: whole up to kShownNameLength characters, otherwise cut, never
// inside a character, and ended with "…".
QString shownName(const QString& name);

// The trend as the report says it: "in salita", "stabile", "in discesa", or "—".
QString trendText(Trend trend);

// The trend of scores, oldest first.
Trend trendOf(const QList<int>& scores);

// Gathers the report from the diary's entries, one at a time, keeping per pupil only what the
// columns and a tally a day need, so that any number of games takes little memory.
class ReportBuilder {
public:
    void add(const DiaryEntry& entry, const DiaryAccount& account);
    [[nodiscard]] ReportTable table() const;

private:
    struct Spelling {
        qsizetype count = 0;
        qsizetype lastTyped = 0; // which game typed it last, so that a tie goes to the newer
    };
    struct DayTally {
        QString day; // as the entries write it, 2026-12-10, which sorts as the days do
        qsizetype games = 0;
        long long sum = 0;
        int worst = 0;
        int best = 0;
    };
    struct Pupil {
        QString account;
        qsizetype games = 0;
        int best = 0;
        std::array<int, kRecentGames> recent{}; // a ring of the last scores
        QString lastDay;
        QHash<QString, Spelling> spellings;
        QList<DayTally> days; // by day
    };

    static void tally(QList<DayTally>& days, QStringView day, int score);

    [[nodiscard]] static PupilRow rowOf(const Pupil& pupil);

    std::map<std::pair<uid_t, QString>, Pupil> pupils_;
    qsizetype games_ = 0;
};

} // namespace brivadoro
