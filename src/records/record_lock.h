#pragma once

#include <chrono>
#include <optional>

#include <sys/types.h>

#include <QString>

#include "new_file.h"

namespace brivadoro {

// The longest a game waits for another to release the records lock.
inline constexpr std::chrono::milliseconds kRecordLockWait{2000};
// The longest a game holds the lock and still changes the pair: past it, it changes nothing more.
inline constexpr std::chrono::milliseconds kRecordLockLease{1000};
// How long a game watches a lock that it cannot judge (one of another machine sharing the folder,
// or one whose game died before naming itself) unchanged before it takes it over: longer than any
// holder may change the pair, shorter than a game waits.
inline constexpr std::chrono::milliseconds kForeignLockAge{1500};
static_assert(kForeignLockAge > kRecordLockLease && kForeignLockAge < kRecordLockWait);

// The records folder's lock, record.lock, held for the object's life. Start-up's reading and the end
// of game's re-reading and writing run under it, so that games of any account and any machine
// sharing the folder never interleave them.
class RecordLock {
public:
    // Takes the lock, waiting up to kRecordLockWait while another game holds it. A lock of this
    // machine whose game is gone, and anything but a file under the lock's name, is taken over at
    // once; any other lock only once watched unchanged for kForeignLockAge. Throws RecordFileError
    // when the lock cannot be had.
    explicit RecordLock(const QString& folder);
    // Removes the lock file while it is still this game's.
    ~RecordLock();
    RecordLock(const RecordLock&) = delete;
    RecordLock& operator=(const RecordLock&) = delete;
    RecordLock(RecordLock&&) = delete;
    RecordLock& operator=(RecordLock&&) = delete;

    // The records folder, with its trailing "/".
    [[nodiscard]] const QString& folder() const { return folder_; }

    // Throws RecordFileError unless the lock file is still this game's and held for less than
    // kRecordLockLease: asked before every change to the pair, so that a game slowed down past its
    // lease, whose lock another machine may be about to take over, changes nothing.
    void confirmHeld() const;

private:
    [[nodiscard]] bool isOurs() const;

    QString folder_;
    QString path_;
    std::optional<NewFile> file_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::chrono::steady_clock::time_point takenAt_;
};

} // namespace brivadoro
