#pragma once

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

#include "diary/diary_line.h"
#include "record_folder.h"

namespace brivadoro::testing {

using namespace Qt::StringLiterals;

// A game that ended at noon of the day, its hits and misses made up from the score.
inline DiaryEntry diaryGame(const QString& name, int score, QStringView day = u"2026-12-10") {
    return {day.toString() + u"T12:00:00+01:00"_s, name, score, score > 0 ? score : 0, 2, GameEnd::Time};
}

// A diary file as the writer leaves it: the header, then the entries' lines.
inline QByteArray diaryBytes(const QList<DiaryEntry>& entries) {
    QByteArray bytes = kDiaryHeader.toByteArray();
    for (const DiaryEntry& entry : entries)
        bytes += encodeDiaryLine(entry);
    return bytes;
}

// The diary's folder of the records folder, made when missing, with its trailing "/".
inline QString diaryFolder(const RecordFolder& records) {
    QString folder = records.path(u"diario/");
    QDir().mkpath(folder);
    return folder;
}

// An owner that chown leaves as it is.
inline constexpr auto kSameOwner = static_cast<uid_t>(-1);

// Puts the bytes in the diary file of that name, given to the owner when there is one (as root).
inline void writeDiaryFile(const RecordFolder& records, const QString& fileName, const QByteArray& bytes,
                           uid_t owner = kSameOwner) {
    const QString path = diaryFolder(records) + fileName;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    file.close();
    if (owner != kSameOwner)
        (void)::chown(QFile::encodeName(path).constData(), owner, static_cast<gid_t>(-1));
}

} // namespace brivadoro::testing
