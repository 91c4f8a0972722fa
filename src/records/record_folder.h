#pragma once

#include <QString>
#include <QStringView>

namespace brivadoro {

// The configuration file's key naming a records folder for everyone on the machine.
inline constexpr QStringView kConfigRecordFolder = u"RecordFolder";
// Names a records folder for one run, over the configuration file.
inline constexpr const char* kRecordDirVariable = "BRIVADORO_RECORD_DIR";

// Where the records folder came from: a class's folder, named by the variable or the configuration
// file and never created by the game, or the player's own, created when missing.
enum class FolderSource { Variable, Configuration, PerUser };

struct RecordFolderChoice {
    QString folder; // with a trailing "/"; empty when the system names no per-user place
    FolderSource source = FolderSource::PerUser;
    QString configFile;       // the configuration file that names it, or that cannot be read
    QString unreadableConfig; // why that file cannot be read; the folder is then unknown
};

// The records folder in use: BRIVADORO_RECORD_DIR, else RecordFolder of the configuration file,
// else brivadoro/ under $XDG_DATA_HOME or ~/.local/share.
RecordFolderChoice chooseRecordFolder();

// Not a system folder: the records folder in use, as chooseRecordFolder gives it.
QString GetSystemDir();

// Throws RecordFileError naming what keeps the chosen folder from holding the records: a
// configuration file that cannot be read, no place at all, a file in the path, or a class's folder
// that is not an absolute path to an existing folder. The player's own folder may be missing yet.
// Creates nothing.
void checkRecordFolder(const RecordFolderChoice& choice);

// Makes the chosen folder ready for the records, as checkRecordFolder checks it; the player's own is
// created when missing. Throws RecordFileError naming it.
void prepareRecordFolder(const RecordFolderChoice& choice);

// One line for standard error when a class's folder named by the variable or the configuration file
// cannot hold the records; empty otherwise.
QString recordFolderMistake();

} // namespace brivadoro
