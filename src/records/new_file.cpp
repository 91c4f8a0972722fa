#include "new_file.h"

#include <cerrno>
#include <tuple>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringBuilder>

namespace brivadoro {

namespace {

constexpr mode_t kRecordFileMode = 0666; // narrowed by the umask
constexpr mode_t kSharedRecordMode = 0640;
constexpr mode_t kLockFileMode = 0600;
constexpr mode_t kSharedLockMode = 0660;
// Where a folder with contents under a name the game needs is moved.
constexpr QStringView kSetAsidePrefix = u".scartato.";

// Gives the new file its mode: in a folder shared with its group, it takes the folder's group too.
// Failures are ignored: a record file stays the player's own, which the next player can still
// replace, and a lock file that no one else can lock is replaced by the next game that needs it.
void setAccess(int handle, const QString& path, FileUse use) {
    FileStatus folder{};
    const bool shared = ::stat(QFile::encodeName(QFileInfo(path).path()).constData(), &folder) == 0 &&
                        (folder.st_mode & S_IWGRP) != 0;
    if (shared) {
        FileStatus file{};
        if (::fstat(handle, &file) == 0 && file.st_gid != folder.st_gid)
            std::ignore = ::fchown(handle, static_cast<uid_t>(-1), folder.st_gid);
    }
    if (use == FileUse::Lock)
        (void)::fchmod(handle, shared ? kSharedLockMode : kLockFileMode);
    else if (shared)
        (void)::fchmod(handle, kSharedRecordMode);
}

} // namespace

NewFile::NewFile(const QString& path, FileUse use)
    : handle_(::open(QFile::encodeName(path).constData(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                     use == FileUse::Lock ? kLockFileMode : kRecordFileMode)) {
    if (handle_.isOpen()) {
        const int error = errno;
        setAccess(handle_.get(), path, use);
        errno = error;
    }
}

bool NewFile::write(QByteArrayView bytes) const {
    return writeAll(handle_.get(), bytes);
}

bool clearName(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (::unlink(name.constData()) == 0 || errno == ENOENT)
        return true;
    if (errno != EISDIR)
        return false;
    if (::rmdir(name.constData()) == 0 || errno == ENOENT)
        return true;
    const QFileInfo place(path);
    const QString aside = place.path() % u'/' % kSetAsidePrefix % place.fileName() % u'.' %
                          QString::number(QRandomGenerator::global()->generate());
    return ::rename(name.constData(), QFile::encodeName(aside).constData()) == 0;
}

} // namespace brivadoro
