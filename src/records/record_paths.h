#pragma once

#include <stdexcept>

#include <sys/types.h>

#include <QString>
#include <QStringView>

namespace brivadoro {

// What every part of the records shares: the names of the folder's files, their paths, and the error
// that names one of them.

// The record score's and the record holder's files, and the lock's, inside the records folder.
inline constexpr QStringView kScoreFileName = u"aquadrix.txt";
inline constexpr QStringView kNameFileName = u"quadrix.txt";
inline constexpr QStringView kLockFileName = u"record.lock";

// What the player is told instead of a path, and why, when the system names no records folder.
inline constexpr QStringView kUnknownFolder = u"(cartella sconosciuta)";
inline constexpr QStringView kReasonNoFolder = u"il sistema non indica una cartella per i dati dei giochi";

// A record file's full path: the folder, which ends in "/", followed by the file's name.
inline QString recordFilePath(const QString& folder, QStringView fileName) {
    return QString(folder).append(fileName);
}

// Every name a pair's replacement uses in the records folder. A new pair is written beside the old
// one under the staging suffix; renaming the name's staging file to the committed suffix is the commit
// point, after which the pair only moves into place.
struct PairPaths {
    explicit PairPaths(const QString& folder);

    QString score;
    QString name;
    QString stagedScore;
    QString stagedName;
    QString committedName;
};

// The longest name the name box takes, in UTF-16 units: the most its line edit holds.
inline constexpr qsizetype kLongestName = 32767;
// The most of a record file that is ever read: more than any line the game writes, whose longest is
// the longest name, at up to three UTF-8 bytes a unit, and its line end.
inline constexpr qsizetype kRecordReadLimit = qsizetype{128} * 1024;
static_assert(kRecordReadLimit >= 3 * kLongestName + 2);

// A record file or folder that could not be used: which one, and why, in Italian.
class RecordFileError : public std::runtime_error {
public:
    RecordFileError(const QString& path, const QString& reason);

    [[nodiscard]] const QString& path() const { return path_; }
    [[nodiscard]] const QString& reason() const { return reason_; }
    // The player's message: intro, the path and the reason, then outro.
    [[nodiscard]] QString message(QStringView intro, QStringView outro) const;

private:
    QString path_;
    QString reason_;
};

// The system's words for errno.
QString systemReason(int error);
// The reason, followed by the system's own words for it.
QString withDetail(QStringView reason, const QString& detail);

// An account's or a group's name, or its number when the system has no name for it.
QString accountName(uid_t account);
QString groupName(gid_t group);

} // namespace brivadoro
