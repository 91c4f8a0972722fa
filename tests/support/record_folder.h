#pragma once

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "environment_value.h"
#include "records/record_pair.h"

namespace brivadoro::testing {

using namespace Qt::StringLiterals;

// Two pupils' accounts of one class, unprivileged and sharing one group, for tests that run games as
// them (as root, through setpriv).
struct Account {
    uid_t uid;
    QStringView name;
};
inline constexpr gid_t kClassGroup = 64000;
inline constexpr Account kPupilA{64001, u"Anna"};
inline constexpr Account kPupilB{64002, u"Bruno"};

// Where the records live: the player's own folder, or a class's, shared by its group and named for
// the run by BRIVADORO_RECORD_DIR.
enum class Sharing { OneLogin, Class };

// A fresh $XDG_DATA_HOME for the records of one test, so the player's own record is never touched,
// and no configuration file of the machine's nor BRIVADORO_RECORD_DIR chooses another folder. The
// variables get their old values back at the end, so that no later game recreates this folder.
// A class's folder is made as the manual says (the class's group, mode 2775) in a home every
// account may enter.
class RecordFolder {
public:
    explicit RecordFolder(Sharing sharing = Sharing::OneLogin) {
        if (sharing == Sharing::OneLogin)
            return;
        classFolder_ = home_.path() + u"/classe"_s;
        QDir().mkpath(classFolder_);
        ::chmod(QFile::encodeName(home_.path()).constData(), 0755);
        (void)::chown(QFile::encodeName(classFolder_).constData(), 0, kClassGroup);
        ::chmod(QFile::encodeName(classFolder_).constData(), 02775);
        recordDir_.emplace("BRIVADORO_RECORD_DIR", classFolder_);
    }
    ~RecordFolder() {
        for (const QString& lockedFolder : readOnly_)
            QFile::setPermissions(lockedFolder, kReadOnly | QFile::WriteOwner);
    }
    RecordFolder(const RecordFolder&) = delete;
    RecordFolder& operator=(const RecordFolder&) = delete;

    [[nodiscard]] QString home() const { return home_.path(); }
    // Where the game keeps its records here, with the trailing "/".
    [[nodiscard]] QString folder() const {
        return classFolder_.isEmpty() ? home_.path() + u"/brivadoro/"_s : classFolder_ + u'/';
    }
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

    // A home of the account's own beside the records, for its games, private to it.
    [[nodiscard]] QString accountHome(const Account& account) const {
        QString own = home_.path() + u'/' + account.name.toString();
        QDir().mkpath(own);
        (void)::chown(QFile::encodeName(own).constData(), account.uid, kClassGroup);
        ::chmod(QFile::encodeName(own).constData(), 0700);
        return own;
    }

    // What the folder holds once games have read or stored the record there: the pair and the lock.
    [[nodiscard]] static QStringList pairAndLock() {
        return {u"aquadrix.txt"_s, u"quadrix.txt"_s, u"record.lock"_s};
    }

    // Every entry of the folder but the diary's, which the player's games keep there, so a test can see
    // that nothing was left behind.
    [[nodiscard]] QStringList entries() const {
        QStringList all = QDir(folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        all.removeOne(u"diario"_s);
        return all;
    }

    // Every entry but the folders with contents that a game moved aside from the names it needs.
    [[nodiscard]] QStringList entriesBesidesSetAside() const {
        QStringList kept = entries();
        kept.removeIf([](const QString& entry) { return entry.startsWith(u".scartato."_s); });
        return kept;
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
    EnvironmentValue configDirs_{"XDG_CONFIG_DIRS", home_.path() + u"/xdg"_s};
    EnvironmentValue noRecordDir_{"BRIVADORO_RECORD_DIR", QString()};
    QString classFolder_;
    std::optional<EnvironmentValue> recordDir_;
    QStringList readOnly_;
};

// Start-up's record steps in the folder that the environment chooses now, as a game's start-up takes
// them with the settings read at the program's start.
inline RecordsAtStartup openChosenRecordFiles() {
    return openRecordFiles(chooseRecordFolder(readSettings()));
}

} // namespace brivadoro::testing
