#pragma once

#include <cerrno>
#include <optional>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArrayView>
#include <QFile>
#include <QString>

namespace brivadoro {

// What stat and fstat tell of a file, named without the elaborated "struct" that the formatter's
// versions lay out differently.
using FileStatus = struct ::stat;

// Whether two statuses are of one and the same file.
inline bool sameFile(const FileStatus& one, const FileStatus& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// What stands under the name, a link itself and not what it leads to; nothing, with errno set, when
// nothing can be seen there.
inline std::optional<FileStatus> linkStatus(const QString& path) {
    FileStatus status{};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return status;
}

// Whether a regular file, not a link, stands under the name.
inline bool isPlainFile(const QString& path) {
    const std::optional<FileStatus> status = linkStatus(path);
    return status && S_ISREG(status->st_mode);
}

// Writes all of bytes to the open handle, however many writes the system takes; false with errno set
// when the disk takes less.
inline bool writeAll(int handle, QByteArrayView bytes) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(handle, bytes.data() + done, size_t(bytes.size() - done));
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

// An open file descriptor, closed with the object: the one owner of every descriptor the records open.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ >= 0)
            ::close(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        FileHandle old(std::exchange(handle_, std::exchange(other.handle_, -1)));
        return *this;
    }

    [[nodiscard]] bool isOpen() const { return handle_ >= 0; }
    [[nodiscard]] int get() const { return handle_; }

private:
    int handle_ = -1;
};

} // namespace brivadoro
