#include "new_file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

namespace brivadoro {

namespace {

constexpr mode_t kNewFileMode = 0666; // narrowed by the umask
constexpr mode_t kSharedFileMode = 0644;

// In a folder shared with its group, a new file takes the folder's group and becomes readable by it.
// Failures are ignored: the file stays the player's own, which the next player can still replace.
void shareWithTheFolderGroup(int handle, const QString& path) {
    FileStatus folder{};
    if (::stat(QFile::encodeName(QFileInfo(path).path()).constData(), &folder) != 0 ||
        (folder.st_mode & S_IWGRP) == 0)
        return;
    FileStatus file{};
    if (::fstat(handle, &file) == 0 && file.st_gid != folder.st_gid)
        (void)::fchown(handle, static_cast<uid_t>(-1), folder.st_gid);
    (void)::fchmod(handle, kSharedFileMode);
}

} // namespace

NewFile::NewFile(const QString& path)
    : handle_(::open(QFile::encodeName(path).constData(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode)) {
    if (handle_ >= 0) {
        const int error = errno;
        shareWithTheFolderGroup(handle_, path);
        errno = error;
    }
}

NewFile::~NewFile() {
    if (handle_ >= 0)
        ::close(handle_);
}

bool NewFile::write(QByteArrayView bytes) const {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(handle_, bytes.data() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        done += written;
    }
    return true;
}

QString systemReason(int error) {
    return qt_error_string(error);
}

} // namespace brivadoro
