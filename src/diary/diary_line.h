#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

namespace brivadoro {

// How a game reached its goodbye: the clock at 00:00:00, or Exit.
enum class GameEnd { Time, Exit };

// One finished game, as the diary keeps it.
struct DiaryEntry {
    QString ended; // local time with its offset from UTC: 2026-12-10T12:50:39+01:00
    QString name;  // as typed
    int score = 0;
    int hits = 0;
    int misses = 0;
    GameEnd end = GameEnd::Time;

    // The day the game ended, as its first ten characters: 2026-12-10.
    [[nodiscard]] QStringView day() const { return QStringView(ended).first(10); }
};

// The first line of every diary file, which says what it is and names the fields of the lines after
// it; a line that begins with "#" is no entry.
inline constexpr QByteArrayView kDiaryHeader =
    "# Brivadoro, diario delle partite 1: quando\tpunteggio\tcentri\terrori\tfine\tnome\t.\n";

// The moment as an entry's time: local time, to the second, with its offset from UTC.
QString diaryTime(const QDateTime& moment);

// One entry as a line of the diary, its line end included: the fields in the header's order,
// separated by tabs, in UTF-8, and a last field "." that only a whole line has, so that a line cut
// short by a power cut is never read as an entry with a shorter name; in the name a backslash, tab,
// carriage return and line feed are written \\, \t, \r and \n.
QByteArray encodeDiaryLine(const DiaryEntry& entry);

// The entry of one line, given without its line end; nothing for a line that is no entry (a
// header, a line cut short, garbage, invalid UTF-8, a field out of place).
std::optional<DiaryEntry> decodeDiaryLine(QByteArrayView line);

} // namespace brivadoro
