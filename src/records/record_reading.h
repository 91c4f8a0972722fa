#pragma once

#include <QString>

namespace brivadoro {

// The stored pair's two texts, line ends included and nothing trimmed.
struct RecordPair {
    QString score;
    QString name;

    friend bool operator==(const RecordPair&, const RecordPair&) = default;
};

// The file's content, line ends included and nothing trimmed, read up to kRecordReadLimit bytes.
// Throws RecordFileError when it cannot be read, and when it is a symbolic link or no regular file.
QString Leggifiletxt(const QString& nomefile);

// The pair in the folder, as the game reads it: a missing file reads as empty, as start-up leaves it.
// Throws RecordFileError.
RecordPair readPairInPlace(const QString& folder);

// What the folder holds: no pair at all (no record yet), a pair in place, or a committed pair not yet
// moved into place (pending), which the next game's reading finishes.
enum class PairState { Missing, InPlace, Pending };

struct PeekedPair {
    RecordPair pair;
    PairState state = PairState::Missing;
};

// The stored pair as it stands, without the lock and without finishing or discarding anything.
// Throws RecordFileError.
PeekedPair peekRecordPair(const QString& folder);

} // namespace brivadoro
