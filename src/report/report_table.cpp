#include "report_table.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <utility>

#include <QTextBoundaryFinder>

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kRising = u"in salita";
constexpr QStringView kSteady = u"stabile";
constexpr QStringView kFalling = u"in discesa";
constexpr QStringView kUnknown = u"—";
constexpr QChar kEllipsis = u'…';

// One pupil's name whatever way it was typed: without the blanks around it, case-folded, composed.
QString pupilKey(const QString& name) {
    return name.trimmed()
        .normalized(QString::NormalizationForm_C)
        .toCaseFolded()
        .normalized(QString::NormalizationForm_C);
}

double median(QList<int> values) {
    if (values.isEmpty())
        return 0;
    const auto middle = values.begin() + values.size() / 2;
    std::ranges::nth_element(values, middle);
    if (values.size() % 2 != 0)
        return *middle;
    const int below = *std::max_element(values.begin(), middle);
    return (double(below) + double(*middle)) / 2;
}

} // namespace

QString shownName(const QString& name) {
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, name);
    qsizetype counted = 0;
    qsizetype cut = 0;
    while (characters.toNextBoundary() >= 0) {
        ++counted;
        if (counted == kShownNameLength - 1)
            cut = characters.position();
        if (counted > kShownNameLength)
            return name.first(cut) + kEllipsis;
    }
    return name;
}

QString trendText(Trend trend) {
    switch (trend) {
    case Trend::Rising:
        return kRising.toString();
    case Trend::Steady:
        return kSteady.toString();
    case Trend::Falling:
        return kFalling.toString();
    case Trend::Unknown:
        break;
    }
    return kUnknown.toString();
}

Trend trendOf(const QList<int>& scores) {
    const qsizetype n = scores.size();
    if (n < 2)
        return Trend::Unknown;
    // The slope with each game's place counted twice from the middle, so that it stays in integers:
    // slope = 2 Σ c·y / Σ c², with c = 2i − (n − 1).
    long long products = 0;
    long long squares = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const long long centred = 2 * i - (n - 1);
        products += centred * scores[i];
        squares += centred * centred;
    }
    if (2 * products >= squares)
        return Trend::Rising;
    return 2 * products <= -squares ? Trend::Falling : Trend::Steady;
}

void ReportBuilder::add(const DiaryEntry& entry, const DiaryAccount& account) {
    Pupil& pupil = pupils_[{account.uid, pupilKey(entry.name)}];
    if (pupil.games == 0) {
        pupil.account = account.name;
        pupil.best = entry.score;
    }
    pupil.best = std::max(pupil.best, entry.score);
    pupil.recent[std::size_t(pupil.games % kRecentGames)] = entry.score;
    ++pupil.games;
    pupil.lastDay = entry.day().toString();
    Spelling& spelling = pupil.spellings[entry.name.trimmed()];
    ++spelling.count;
    spelling.lastTyped = pupil.games;
    tally(pupil.days, entry.day(), entry.score);
    ++games_;
}

void ReportBuilder::tally(QList<DayTally>& days, QStringView day, int score) {
    // A file's games come in the order they ended, so their day is nearly always the last one.
    auto at = !days.isEmpty() && days.constLast().day == day
                  ? std::prev(days.end())
                  : std::ranges::lower_bound(
                        days, day, {}, [](const DayTally& counted) { return QStringView(counted.day); });
    if (at == days.end() || at->day != day)
        at = days.insert(at, DayTally{day.toString(), 0, 0, score, score});
    ++at->games;
    at->sum += score;
    at->worst = std::min(at->worst, score);
    at->best = std::max(at->best, score);
}

PupilRow ReportBuilder::rowOf(const Pupil& pupil) {
    QList<int> recent;
    for (qsizetype game = std::max<qsizetype>(0, pupil.games - kRecentGames); game < pupil.games; ++game)
        recent << pupil.recent[std::size_t(game % kRecentGames)];
    auto often = pupil.spellings.cbegin();
    for (auto typed = often; typed != pupil.spellings.cend(); ++typed) {
        if (std::pair(typed->count, typed->lastTyped) > std::pair(often->count, often->lastTyped))
            often = typed;
    }
    QList<DayScores> days;
    days.reserve(pupil.days.size());
    for (const DayTally& counted : pupil.days)
        days.append({QDate::fromString(counted.day, Qt::ISODate), counted.games, counted.worst, counted.best,
                     double(counted.sum) / double(counted.games)});
    const double sum = std::accumulate(recent.cbegin(), recent.cend(), 0.0);
    return {often.key(),        pupil.account,
            pupil.games,        pupil.best,
            recent.constLast(), sum / double(recent.size()),
            trendOf(recent),    QDate::fromString(pupil.lastDay, Qt::ISODate),
            std::move(days)};
}

ReportTable ReportBuilder::table() const {
    ReportTable table;
    QList<int> lastScores;
    for (const auto& [key, pupil] : pupils_) {
        table.rows << rowOf(pupil);
        lastScores << table.rows.constLast().last;
    }
    std::ranges::stable_sort(table.rows, [](const PupilRow& one, const PupilRow& other) {
        const int byName = QString::compare(one.name, other.name, Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : one.account < other.account;
    });
    table.total = {games_, table.rows.size(), median(lastScores)};
    return table;
}

} // namespace brivadoro
