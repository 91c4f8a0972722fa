#pragma once

#include <functional>

#include <sys/types.h>

#include <QDate>
#include <QString>
#include <QStringList>

#include "diary_line.h"

namespace brivadoro {

// The account that owns a diary file, whatever the file is called: its number and its name.
struct DiaryAccount {
    uid_t uid = 0;
    QString name;
};

// Called once per entry, in each file's order, which is the order the games ended in.
using DiaryVisitor = std::function<void(const DiaryEntry& entry, const DiaryAccount& account)>;

// Whether diario/ itself could be read.
enum class DiaryFolderState { Read, Missing, Unreadable };

struct DiaryReading {
    DiaryFolderState folder = DiaryFolderState::Read;
    QString folderReason;  // why diario/ could not be read
    QStringList skipped;   // per file, "<file>: what was skipped", for standard error
    qsizetype entries = 0; // the entries visited
};

// The most of one diary file that is read; past it the rest is skipped, and said.
inline constexpr qint64 kDiaryFileReadLimit = qint64{64} * 1024 * 1024;

// Reads every entry of the diary folder (with its trailing "/") in one pass, file after file in the
// order of their names, and hands each entry of a game that ended on since or later (every game when
// since is null) to visit. Only regular files that begin with the diary's header are read, never
// through a link; their bad lines (garbage, a line cut short, a line too long for any name, invalid
// UTF-8) are skipped and counted. A file is read a piece at a time, so its size costs no memory.
DiaryReading readDiary(const QString& folder, const QDate& since, const DiaryVisitor& visit);

} // namespace brivadoro
