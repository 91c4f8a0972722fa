#pragma once

#include <stdexcept>

#include <QString>
#include <QStringView>

namespace brivadoro {

struct BoardState;

// The record score's and the record holder's files, inside the records folder.
inline constexpr QStringView kScoreFileName = u"aquadrix.txt";
inline constexpr QStringView kNameFileName = u"quadrix.txt";

// A record file's full path: the folder, which ends in "/", followed by the file's name.
inline QString recordFilePath(const QString& folder, QStringView fileName) {
    return QString(folder).append(fileName);
}

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

// The records folder, $XDG_DATA_HOME/brivadoro/ by default, with a trailing "/"; empty when the
// system names no such place.
QString GetSystemDir();

// The file's content, line ends included and nothing trimmed, read up to kRecordReadLimit bytes.
// Throws RecordFileError when it cannot be read.
QString Leggifiletxt(const QString& nomefile);

// What start-up shows of the stored record.
struct RecordsAtStartup {
    QString score; // for lblpunti
    QString name;  // for lblnome
    QString error; // empty, or the message for the player; both texts are then empty
};

// Start-up's record steps: sets state.windowsDir from GetSystemDir, creates the folder and both
// files (empty) when missing, checks that the folder takes new files, and reads both files;
// state.recordReadAtStartup tells whether both were read.
RecordsAtStartup openRecordFiles(BoardState& state);

// Replaces both files in folder with one line each. Both new files are committed to the disk under
// staging names before two renames, back to back, replace the pair, so any failure before them
// leaves the old pair whole. Throws RecordFileError.
void writeRecordPair(const QString& folder, const QString& score, const QString& name);

} // namespace brivadoro
