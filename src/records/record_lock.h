#pragma once

#include <chrono>

#include <QString>

#include "new_file.h"

namespace brivadoro {

// The longest a game waits for another to release the records lock.
inline constexpr std::chrono::milliseconds kRecordLockWait{2000};

// The records folder's lock: an open file description write lock on record.lock, which the kernel
// keeps for exactly as long as this object's handle is open, and drops when the process ends,
// however it ends. Start-up's reading and the end of game's re-reading and writing run under it, so
// that games of any account and any machine sharing the folder never interleave them, however slow
// the disk. The lock file is made once and stays; a game never writes into it.
class RecordLock {
public:
    // Takes the lock, waiting up to kRecordLockWait while another game holds it. Whatever another
    // account left under the lock's name that this game cannot lock (a link, a folder, a pipe, a
    // file it may not write) is replaced, unless a live game holds a lock on it. Throws
    // RecordFileError when the lock cannot be had.
    explicit RecordLock(const QString& folder);
    // Closes the handle, which releases the lock.
    ~RecordLock();
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;
    RecordLock(RecordLock&&) = delete;
    RecordLock& operator=(RecordLock&&) = delete;

    // The records folder, with its trailing "/".
    [[nodiscard]] const QString& folder() const { return folder_; }

    // Whether record.lock still names the very file this game locked: another game replacing what
    // it took for a planted file may have put a new lock file in its place.
    [[nodiscard]] bool isHeld() const;
    // Throws RecordFileError unless isHeld(): asked just before the commit point, so that a game
    // whose lock file was replaced leaves the old pair whole.
    void confirmHeld() const;

private:
    QString folder_;
    QString path_;
    int handle_ = -1;
    FileStatus locked_{}; // the file this game locked
};

} // namespace brivadoro
