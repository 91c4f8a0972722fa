#pragma once

#include <chrono>

#include <QString>

#include "file_handle.h"

namespace brivadoro {

// The longest a game waits for another to release the records lock.
inline constexpr std::chrono::milliseconds kRecordLockWait{2000};

// The records folder's lock: an open file description write lock on record.lock, which the kernel
// keeps for exactly as long as this object's handle is open, and drops when the process ends,
// however it ends. Start-up's reading and the end of game's re-reading and writing run under it, so
// that games of any account and any machine sharing the folder never interleave them, however slow
// the disk. The lock file is made once and stays; a game never writes into it.
//
// What another account left under the lock's name that this game cannot lock (a link, a folder, a
// pipe, a file it may not open for writing) is replaced by a new lock file. A file this account can
// read is replaced only under a read lock, which no game can have while another holds its lock; a
// file it cannot read is replaced without that proof, so that a pupil cannot jam the class's record
// with chmod 000. A game whose lock file was replaced so while it held it learns it from isHeld():
// the records check it before every removal and before the commit, and such a game removes and
// commits nothing.
class RecordLock {
public:
    // Takes the lock, waiting up to kRecordLockWait while another game holds it. Throws
    // RecordFileError at once when what stands under the lock's name can be neither locked nor
    // replaced (naming it, its owner and what the administrator does), and after the wait when a
    // lock is still held.
    explicit RecordLock(const QString& folder);
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;
    RecordLock(RecordLock&&) = delete;
    RecordLock& operator=(RecordLock&&) = delete;

    // The records folder, with its trailing "/".
    [[nodiscard]] const QString& folder() const { return folder_; }

    // Whether record.lock still names the very file this game locked: another game replacing what
    // it took for a planted file may have put a new lock file in its place.
    [[nodiscard]] bool isHeld() const;
    // Throws RecordFileError unless isHeld(): asked before every removal and the commit point, so
    // that a game whose lock file was replaced leaves the pair and the staging files as they are.
    void confirmHeld() const;

private:
    QString folder_;
    QString path_;
    FileHandle handle_;
    FileStatus locked_{}; // the file this game locked
};

} // namespace brivadoro
