#include "record_lock.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringBuilder>
#include <QThread>

#include "new_file.h"
#include "record_files.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kLockFileName = u"record.lock";
// A lock file that replaces one this account cannot lock is made under a name of its own first.
constexpr QStringView kReplacementSuffix = u".nuovo.";
constexpr unsigned long kLockRetryMs = 5;

constexpr QStringView kReasonFolderNotWritable = u"nella cartella non si possono creare file";
constexpr QStringView kReasonFolderGone = u"la cartella non esiste più";
constexpr QStringView kReasonInUse = u"un altro gioco sta usando il record e non l'ha liberato in tempo";
constexpr QStringView kReasonCannotLock = u"il file di blocco non si può creare (%1)";
constexpr QStringView kReasonCannotReplace = u"il file di blocco non si può usare né sostituire (%1)";
constexpr QStringView kReasonNoLocks =
    u"il sistema non permette di bloccare il file, forse per come è condivisa la cartella (%1)";
constexpr QStringView kReasonLockLost = u"un altro gioco ha preso il record mentre lo registravo";

// A lock request, named without the elaborated "struct" that flock the function makes necessary.
using LockRequest = struct ::flock;

// One open handle, closed with the object.
class Handle {
public:
    explicit Handle(int handle) : handle_(handle) {}
    ~Handle() {
        if (handle_ >= 0)
            ::close(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&&) = delete;
    Handle& operator=(Handle&&) = delete;

    [[nodiscard]] int get() const { return handle_; }
    int release() { return std::exchange(handle_, -1); }

private:
    int handle_;
};

enum class Attempt { Locked, Busy, Again };

// Asks for a lock on the whole file, held by this open file description alone: closing any other
// handle on the file never drops it, and the kernel forwards it to an NFS or SMB server. Busy while
// another game holds a lock that excludes it; throws when the system keeps no locks here.
Attempt requestLock(int handle, short type, const QString& path) {
    LockRequest request{};
    request.l_type = type;
    request.l_whence = SEEK_SET;
    if (::fcntl(handle, F_OFD_SETLK, &request) == 0)
        return Attempt::Locked;
    if (errno == EAGAIN || errno == EACCES)
        return Attempt::Busy;
    throw RecordFileError(path, kReasonNoLocks.arg(systemReason(errno)));
}

bool sameFile(const FileStatus& one, const FileStatus& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// Whether the name still names the file seen, and not something put in its place.
bool namesFile(const QByteArray& name, const FileStatus& seen) {
    FileStatus now{};
    return ::lstat(name.constData(), &now) == 0 && sameFile(now, seen);
}

// Why the lock file could not be created.
[[noreturn]] void refuse(const QString& folder, const QString& path, int error) {
    if (error == EACCES || error == EPERM || error == EROFS)
        throw RecordFileError(folder, kReasonFolderNotWritable.toString());
    if (error == ENOENT || error == ENOTDIR)
        throw RecordFileError(folder, kReasonFolderGone.toString());
    throw RecordFileError(path, kReasonCannotLock.arg(systemReason(error)));
}

// Puts a new lock file in the place of what stands under the lock's name and this account cannot
// lock. No game holds a lock on anything but a file it could open for writing; on a file this
// account can read, a read lock proves that none holds one now, and keeps any from taking one until
// the new file stands in its place. A folder is cleared away, since nothing can be renamed over it.
Attempt replaceUnlockable(const QString& folder, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    FileStatus seen{};
    if (::lstat(name.constData(), &seen) != 0) {
        if (errno != ENOENT)
            refuse(folder, path, errno);
        return Attempt::Again;
    }
    if (S_ISDIR(seen.st_mode)) {
        clearName(path);
        return Attempt::Again;
    }
    const Handle reader(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (S_ISREG(seen.st_mode) && reader.get() >= 0) {
        FileStatus opened{};
        if (::fstat(reader.get(), &opened) != 0 || !sameFile(opened, seen))
            return Attempt::Again;
        if (const Attempt read = requestLock(reader.get(), F_RDLCK, path); read != Attempt::Locked)
            return read;
    }
    const QString replacement =
        path % kReplacementSuffix % QString::number(QRandomGenerator::global()->generate());
    const QByteArray replacementName = QFile::encodeName(replacement);
    if (!NewFile(replacement, FileUse::Lock).isOpen())
        refuse(folder, path, errno);
    if (namesFile(name, seen) && ::rename(replacementName.constData(), name.constData()) != 0) {
        const int error = errno;
        ::unlink(replacementName.constData());
        throw RecordFileError(path, kReasonCannotReplace.arg(systemReason(error)));
    }
    ::unlink(replacementName.constData()); // left only when something changed the name meanwhile
    return Attempt::Again;
}

} // namespace

RecordLock::RecordLock(const QString& folder)
    : folder_(folder), path_(recordFilePath(folder, kLockFileName)) {
    if (folder.isEmpty())
        throw RecordFileError(kUnknownFolder.toString(), kReasonNoFolder.toString());
    const QByteArray name = QFile::encodeName(path_);
    const QDeadlineTimer deadline(kRecordLockWait);
    for (;;) {
        Attempt attempt = Attempt::Again;
        Handle handle(::open(name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        FileStatus info{};
        if (handle.get() < 0 && errno == ENOENT) {
            if (!NewFile(path_, FileUse::Lock).isOpen() && errno != EEXIST)
                refuse(folder, path_, errno);
        } else if (handle.get() < 0 && errno != ELOOP && errno != EISDIR && errno != ENXIO &&
                   errno != EACCES && errno != EPERM) {
            refuse(folder, path_, errno);
        } else if (handle.get() < 0 || ::fstat(handle.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
            attempt = replaceUnlockable(folder, path_);
        } else {
            attempt = requestLock(handle.get(), F_WRLCK, path_);
            // Locked, but perhaps a file that another game has just replaced: then lock the new one.
            if (attempt == Attempt::Locked && namesFile(name, info)) {
                handle_ = handle.release();
                locked_ = info;
                return;
            }
        }
        if (deadline.hasExpired())
            throw RecordFileError(path_, kReasonInUse.toString());
        if (attempt == Attempt::Busy)
            QThread::msleep(kLockRetryMs);
    }
}

RecordLock::~RecordLock() {
    ::close(handle_);
}

bool RecordLock::isHeld() const {
    return namesFile(QFile::encodeName(path_), locked_);
}

void RecordLock::confirmHeld() const {
    if (!isHeld())
        throw RecordFileError(folder_, kReasonLockLost.toString());
}

} // namespace brivadoro
