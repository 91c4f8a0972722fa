#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "environment_value.h"

namespace brivadoro::testing {

using namespace Qt::StringLiterals;

// A fresh $XDG_DATA_HOME for the records of one test, so the player's own record is never touched.
// The variable gets its old value back at the end, so that no later game recreates this folder.
class RecordFolder {
public:
    RecordFolder() = default;
    ~RecordFolder() {
        for (const QString& lockedFolder : readOnly_)
            QFile::setPermissions(lockedFolder, kReadOnly | QFile::WriteOwner);
    }
    RecordFolder(const RecordFolder&) = delete;
    RecordFolder& operator=(const RecordFolder&) = delete;

    [[nodiscard]] QString home() const { return home_.path(); }
    // Where the game keeps its records here, with the trailing "/".
    [[nodiscard]] QString folder() const { return home_.path() + u"/brivadoro/"_s; }
    [[nodiscard]] QString path(QStringView fileName) const { return folder() + fileName.toString(); }

    void write(QStringView fileName, const QByteArray& bytes) const {
        QDir().mkpath(folder());
        QFile file(path(fileName));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    // The file's bytes; a null array when it is no regular file or cannot be read.
    [[nodiscard]] QByteArray read(QStringView fileName) const {
        QFile file(path(fileName));
        const bool readable = QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly);
        return readable ? file.readAll() : QByteArray();
    }

    // Every entry of the folder, so a test can see that nothing was left behind.
    [[nodiscard]] QStringList entries() const {
        return QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // Takes away the right to add or replace the folder's entries until the test ends; a test that
    // may run as root obeys it under ObeyFilePermissions.
    void makeReadOnly(const QString& folder) {
        QFile::setPermissions(folder, kReadOnly);
        readOnly_ << folder;
    }

private:
    static constexpr QFile::Permissions kReadOnly{QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                  QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther};
    QTemporaryDir home_;
    EnvironmentValue dataHome_{"XDG_DATA_HOME", home_.path()};
    QStringList readOnly_;
};

} // namespace brivadoro::testing
