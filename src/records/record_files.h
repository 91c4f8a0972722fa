#pragma once

#include <functional>
#include <stdexcept>

#include <QByteArray>
#include <QString>
#include <QStringView>

#include "record_folder.h"
#include "record_lock.h"

namespace brivadoro {

struct BoardState;

// The record score's and the record holder's files, inside the records folder.
inline constexpr QStringView kScoreFileName = u"aquadrix.txt";
inline constexpr QStringView kNameFileName = u"quadrix.txt";

// What the player is told instead of a path, and why, when the system names no records folder.
inline constexpr QStringView kUnknownFolder = u"(cartella sconosciuta)";
inline constexpr QStringView kReasonNoFolder = u"il sistema non indica una cartella per i dati dei giochi";

// A record file's full path: the folder, which ends in "/", followed by the file's name.
inline QString recordFilePath(const QString& folder, QStringView fileName) {
    return QString(folder).append(fileName);
}

// The longest name the name box takes, in UTF-16 units: the most its line edit holds.
inline constexpr qsizetype kLongestName = 32767;
// The most of a record file that is ever read: more than any line the game writes, whose longest is
// the longest name, at up to three UTF-8 bytes a unit, and its line end.
inline constexpr qsizetype kRecordReadLimit = qsizetype{128} * 1024;
static_assert(kRecordReadLimit >= 3 * kLongestName + 2);

// A record file or folder that could not be used: which one, and why, in Italian.
class RecordFileError : public std::runtime_error {
public:
    RecordFileError(const QString& path, const QString& reason);

    [[nodiscard]] const QString& path() const { return path_; }
    [[nodiscard]] const QString& reason() const { return reason_; }
    // The player's message: intro, the path and the reason, then outro.
    [[nodiscard]] QString message(QStringView intro, QStringView outro) const;

private:
    QString path_;
    QString reason_;
};

// The file's content, line ends included and nothing trimmed, read up to kRecordReadLimit bytes.
// Throws RecordFileError when it cannot be read, and when it is a symbolic link or no regular file.
QString Leggifiletxt(const QString& nomefile);

// Commits an open file's or folder's content to the disk, as fsync does: 0, or -1 with errno set.
using DiskSync = std::function<int(int fileDescriptor)>;

// Puts sync in the place of fsync for the record files while the object lives, so that a test can
// have the disk refuse a write; the one before comes back when the object ends.
class DiskSyncOverride {
public:
    explicit DiskSyncOverride(DiskSync sync);
    ~DiskSyncOverride();
    DiskSyncOverride(const DiskSyncOverride&) = delete;
    DiskSyncOverride& operator=(const DiskSyncOverride&) = delete;
    DiskSyncOverride(DiskSyncOverride&&) = delete;
    DiskSyncOverride& operator=(DiskSyncOverride&&) = delete;

private:
    DiskSync previous_;
};

// The stored pair's two texts, line ends included and nothing trimmed.
struct RecordPair {
    QString score;
    QString name;
};

// Brings the pair back to whole, as a writer stopped half-way left it (finishing a committed pair,
// discarding an uncommitted one), then reads both files. Throws RecordFileError.
RecordPair readRecordPair(const RecordLock& lock);

// What start-up shows of the stored record.
struct RecordsAtStartup {
    QString score; // for lblpunti
    QString name;  // for lblnome
    QString error; // empty, or the message for the player; both texts are then empty
};

// Start-up's record steps: sets state.windowsDir from GetSystemDir, makes the folder ready
// (prepareRecordFolder), creates both files (empty) when missing, and reads the pair under the
// records lock; state.recordReadAtStartup tells whether both were read.
RecordsAtStartup openRecordFiles(BoardState& state);

// Replaces both files with one line each, first finishing or discarding what a stopped writer left.
// Both new files and their folder reach the disk under staging names before one rename commits the
// pair: a writer stopped at any moment leaves the old pair or the new one, whole or committed, for
// the next reading to finish. Every file is created new under a staging name and renamed into
// place, so nothing that stands in the folder is ever written through. Throws RecordFileError when
// the old pair stays.
void writeRecordPair(const RecordLock& lock, const QString& score, const QString& name);

// Empties both files the same way: no record and no holder, as on the first run.
void clearRecordPair(const RecordLock& lock);

// The stored pair as it stands, without the lock and without finishing or discarding anything: the
// pair in place, or a committed pair not yet moved into place (pending). Throws RecordFileError.
struct PeekedPair {
    RecordPair pair;
    bool pending = false;
};
PeekedPair peekRecordPair(const QString& folder);

} // namespace brivadoro
