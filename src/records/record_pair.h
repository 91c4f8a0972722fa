#pragma once

#include <functional>

#include <QString>

#include "record_folder.h"
#include "record_lock.h"
#include "record_reading.h"

namespace brivadoro {

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

// Brings the pair back to whole, as a writer stopped half-way left it (finishing a committed pair,
// discarding an uncommitted one), then reads both files; a missing file reads as empty. Throws
// RecordFileError, having removed and renamed nothing, when the lock file is no longer the one the
// lock holds.
RecordPair readRecordPair(const RecordLock& lock);

// What start-up shows of the stored record.
struct RecordsAtStartup {
    QString score;     // for lblpunti
    QString name;      // for lblnome
    QString error;     // empty, or the message for the player; both texts are then empty
    bool read = false; // whether both files were read: a game that did not never replaces them
};

// Start-up's record steps in the chosen folder: makes it ready (prepareRecordFolder), creates both
// files (empty) when missing, and reads the pair under the records lock.
RecordsAtStartup openRecordFiles(const RecordFolderChoice& choice);

// Replaces both files with one line each, first finishing or discarding what a stopped writer left.
// Both new files and their folder reach the disk under staging names before one rename commits the
// pair: a writer stopped at any moment leaves the old pair or the new one, whole or committed, for
// the next reading to finish. Every file is created new under a staging name and renamed into
// place, so nothing that stands in the folder is ever written through. Throws RecordFileError when
// the old pair stays.
void writeRecordPair(const RecordLock& lock, const QString& score, const QString& name);

// Empties both files the same way: no record and no holder, as on the first run.
void clearRecordPair(const RecordLock& lock);

} // namespace brivadoro
