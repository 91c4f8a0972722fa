#pragma once

#include <QByteArrayView>
#include <QString>

#include "file_handle.h"

namespace brivadoro {

// What a new file of the records folder is for: a record file, which the next player reads, or the
// lock file, which every player of the folder must open for writing to lock it.
enum class FileUse { Record, Lock };

// A file of the records folder that this game created, open for writing. It is always made new and
// exclusively, never opened where a file or link already stands, so a link planted under its name
// in a folder shared with other accounts cannot lead a write into someone else's file. In a folder
// its group may write, the file takes that group, whatever the umask: a record file becomes readable
// by it and by no other account, so that the next player of the group can read it and the pupils'
// names stay in the class, and the lock file writable by it too. In any other folder the lock file is
// the player's alone.
class NewFile {
public:
    // Creates the file; on failure isOpen() is false and errno tells why (EEXIST when anything stands
    // under the name).
    explicit NewFile(const QString& path, FileUse use = FileUse::Record);

    [[nodiscard]] bool isOpen() const { return handle_.isOpen(); }
    [[nodiscard]] int handle() const { return handle_.get(); }
    // Writes all of bytes; false with errno set when the disk takes less.
    [[nodiscard]] bool write(QByteArrayView bytes) const;

private:
    FileHandle handle_;
};

// Removes whatever stands under the name, so that a new file can be made there: a file, a link, a
// pipe, a socket or an empty folder. A folder with contents, which only its owner may empty, is
// moved aside to a hidden name of its own in the same folder. False, with errno set, when something
// still stands there (in a sticky folder, another account's folder cannot be moved).
bool clearName(const QString& path);

} // namespace brivadoro
