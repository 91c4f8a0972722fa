#pragma once

#include <sys/stat.h>

#include <QByteArrayView>
#include <QString>

namespace brivadoro {

// What stat and fstat tell of a file, named without the elaborated "struct" that the formatter's
// versions lay out differently.
using FileStatus = struct ::stat;

// A file of the records folder that this game created, open for writing. It is always made new and
// exclusively, never opened where a file or link already stands, so a link planted under its name
// in a folder shared with other accounts cannot lead a write into someone else's file. In a folder
// its group may write, the file takes that group and is readable by it, whatever the umask, so that
// the next player of the group can read it.
class NewFile {
public:
    // Creates the file; on failure isOpen() is false and errno tells why (EEXIST when anything stands
    // under the name).
    explicit NewFile(const QString& path);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    NewFile(NewFile&&) = delete;
    NewFile& operator=(NewFile&&) = delete;

    [[nodiscard]] bool isOpen() const { return handle_ >= 0; }
    [[nodiscard]] int handle() const { return handle_; }
    // Writes all of bytes; false with errno set when the disk takes less.
    [[nodiscard]] bool write(QByteArrayView bytes) const;

private:
    int handle_ = -1;
};

// The system's words for errno.
QString systemReason(int error);

} // namespace brivadoro
