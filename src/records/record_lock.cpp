#include "record_lock.h"

#include <cerrno>

#include <fcntl.h>

#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QStringBuilder>
#include <QThread>

#include "new_file.h"
#include "record_paths.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

// A lock file that replaces one this account cannot lock is made under a name of its own first.
constexpr QStringView kReplacementSuffix = u".nuovo.";
constexpr unsigned long kLockRetryMs = 5;

constexpr QStringView kReasonFolderNotWritable = u"nella cartella non si possono creare file";
constexpr QStringView kReasonFolderGone = u"la cartella non esiste più";
constexpr QStringView kReasonInUse = u"un altro gioco sta usando il record e non l'ha liberato in tempo";
constexpr QStringView kReasonUnsettled =
    u"il file di blocco è stato cambiato di continuo durante l'attesa, da un altro gioco o da qualcuno";
constexpr QStringView kReasonCannotLock = u"il file di blocco non si può creare (%1)";
constexpr QStringView kReasonNoLocks =
    u"il sistema non permette di bloccare il file, forse per come è condivisa la cartella (%1)";
constexpr QStringView kReasonLockLost = u"un altro gioco ha sostituito il file di blocco record.lock mentre "
                                        u"lo tenevo, perciò non tocco il record";
constexpr QStringView kReasonPlanted =
    u"al posto del file di blocco c'è %1 dell'account %2, che questo gioco non può usare né sostituire (%3): "
    u"chi amministra la cartella lo tolga, con rm -r %4";

constexpr QStringView kKindFolder = u"una cartella";
constexpr QStringView kKindLink = u"un collegamento simbolico";
constexpr QStringView kKindPipe = u"una pipe";
constexpr QStringView kKindSocket = u"un socket";
constexpr QStringView kKindDevice = u"un file speciale";
constexpr QStringView kKindRunning = u"un programma in esecuzione";
constexpr QStringView kKindLeased = u"un file tenuto da un altro programma (lease)";
constexpr QStringView kKindUnwritable = u"un file che questo account non può aprire in scrittura";

// A lock request, named without the elaborated "struct" that flock the function makes necessary.
using LockRequest = struct ::flock;

enum class Attempt { Locked, Busy, Again };

// Asks for a lock on the whole file, held by this open file description alone: closing any other
// handle on the file never drops it, and the kernel forwards it to an NFS or SMB server. Busy while
// another game holds a lock that excludes it; throws when the system keeps no locks here.
Attempt requestLock(int handle, short type, const QString& path) {
    LockRequest request{};
    request.l_type = type;
    request.l_whence = SEEK_SET;
    int result = 0;
    do // a signal, or an NFS server that answers late, interrupts the request: ask again
        result = ::fcntl(handle, F_OFD_SETLK, &request);
    while (result != 0 && errno == EINTR);
    if (result == 0)
        return Attempt::Locked;
    if (errno == EAGAIN || errno == EACCES)
        return Attempt::Busy;
    throw RecordFileError(path, kReasonNoLocks.arg(systemReason(errno)));
}

// Whether opening for writing failed because of what stands under the name, which a new lock file
// may replace: a link, a folder, a pipe or socket, a file this account may not write, a program
// running from the file, or a lease another program holds on it.
bool isPlanted(int openError) {
    return openError == ELOOP || openError == EISDIR || openError == ENXIO || openError == EACCES ||
           openError == EPERM || openError == ETXTBSY || openError == EWOULDBLOCK;
}

QStringView kindOf(const FileStatus& seen, int openError) {
    if (S_ISDIR(seen.st_mode))
        return kKindFolder;
    if (S_ISLNK(seen.st_mode))
        return kKindLink;
    if (S_ISFIFO(seen.st_mode))
        return kKindPipe;
    if (S_ISSOCK(seen.st_mode))
        return kKindSocket;
    if (!S_ISREG(seen.st_mode))
        return kKindDevice;
    if (openError == ETXTBSY)
        return kKindRunning;
    return openError == EWOULDBLOCK ? kKindLeased : kKindUnwritable;
}

// Why the lock file could not be created.
[[noreturn]] void refuse(const QString& folder, const QString& path, int error) {
    if (error == EACCES || error == EPERM || error == EROFS)
        throw RecordFileError(folder, kReasonFolderNotWritable.toString());
    if (error == ENOENT || error == ENOTDIR)
        throw RecordFileError(folder, kReasonFolderGone.toString());
    throw RecordFileError(path, kReasonCannotLock.arg(systemReason(error)));
}

// Names what stands under the lock's name and cannot be replaced, whose it is, and what to do.
[[noreturn]] void refusePlanted(const QString& path, const FileStatus& seen, int openError, int error) {
    throw RecordFileError(path, kReasonPlanted.arg(kindOf(seen, openError), accountName(seen.st_uid),
                                                   systemReason(error), path));
}

// Puts a new lock file in the place of what stands under the lock's name and this account cannot
// lock. No game holds a lock on anything but a file it could open for writing; on a file this
// account can read, a read lock proves that none holds one now, and keeps any from taking one until
// the new file stands in its place. A folder is cleared away, since nothing can be renamed over it.
Attempt replaceUnlockable(const QString& folder, const QString& path, int openError) {
    const std::optional<FileStatus> seen = linkStatus(path);
    if (!seen) {
        if (errno != ENOENT)
            refuse(folder, path, errno);
        return Attempt::Again;
    }
    if (S_ISDIR(seen->st_mode)) {
        if (!clearName(path))
            refusePlanted(path, *seen, openError, errno);
        return Attempt::Again;
    }
    const QByteArray name = QFile::encodeName(path);
    const FileHandle reader(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (S_ISREG(seen->st_mode) && reader.isOpen()) {
        FileStatus opened{};
        if (::fstat(reader.get(), &opened) != 0 || !sameFile(opened, *seen))
            return Attempt::Again;
        if (const Attempt read = requestLock(reader.get(), F_RDLCK, path); read != Attempt::Locked)
            return read;
    }
    const QString replacement =
        path % kReplacementSuffix % QString::number(QRandomGenerator::global()->generate());
    const QByteArray replacementName = QFile::encodeName(replacement);
    if (!NewFile(replacement, FileUse::Lock).isOpen())
        refuse(folder, path, errno);
    const std::optional<FileStatus> now = linkStatus(path);
    if (now && sameFile(*now, *seen) && ::rename(replacementName.constData(), name.constData()) != 0) {
        const int error = errno;
        ::unlink(replacementName.constData());
        refusePlanted(path, *seen, openError, error);
    }
    ::unlink(replacementName.constData()); // left only when something changed the name meanwhile
    return Attempt::Again;
}

// One try at the lock on the file under path: Locked once held stands for the handle that holds it
// and locked for the file it locked.
Attempt tryLock(const QString& folder, const QString& path, FileHandle& held, FileStatus& locked) {
    FileHandle handle(
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    const int openError = handle.isOpen() ? 0 : errno;
    if (openError == ENOENT) {
        if (!NewFile(path, FileUse::Lock).isOpen() && errno != EEXIST)
            refuse(folder, path, errno);
        return Attempt::Again;
    }
    if (openError == EINTR)
        return Attempt::Again;
    if (openError != 0 && !isPlanted(openError))
        refuse(folder, path, openError);
    FileStatus info{};
    if (openError != 0 || ::fstat(handle.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return replaceUnlockable(folder, path, openError);
    const Attempt attempt = requestLock(handle.get(), F_WRLCK, path);
    if (attempt != Attempt::Locked)
        return attempt;
    // Locked, but perhaps a file that another game has just replaced: then lock the new one.
    const std::optional<FileStatus> named = linkStatus(path);
    if (!named || !sameFile(*named, info))
        return Attempt::Again;
    held = std::move(handle);
    locked = info;
    return Attempt::Locked;
}

} // namespace

RecordLock::RecordLock(const QString& folder)
    : folder_(folder), path_(recordFilePath(folder, kLockFileName)) {
    if (folder.isEmpty())
        throw RecordFileError(kUnknownFolder.toString(), kReasonNoFolder.toString());
    const QDeadlineTimer deadline(kRecordLockWait);
    for (;;) {
        const Attempt attempt = tryLock(folder_, path_, handle_, locked_);
        if (attempt == Attempt::Locked)
            return;
        if (deadline.hasExpired())
            throw RecordFileError(path_,
                                  (attempt == Attempt::Busy ? kReasonInUse : kReasonUnsettled).toString());
        if (attempt == Attempt::Busy)
            QThread::msleep(kLockRetryMs);
    }
}

bool RecordLock::isHeld() const {
    const std::optional<FileStatus> named = linkStatus(path_);
    return named && sameFile(*named, locked_);
}

void RecordLock::confirmHeld() const {
    if (!isHeld())
        throw RecordFileError(folder_, kReasonLockLost.toString());
}

} // namespace brivadoro
