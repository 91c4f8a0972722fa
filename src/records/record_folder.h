#pragma once

#include <QString>
#include <QStringView>

#include "file_handle.h"
#include "toolkit/command_line.h"

namespace brivadoro {

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
RecordFolderChoice chooseRecordFolder(const Settings& settings);

// Not a system folder: the records folder in use, as chooseRecordFolder gives it.
QString GetSystemDir(const Settings& settings);

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
QString recordFolderMistake(const RecordFolderChoice& choice);

// Why this account may not put a new file in the place of what stands at path, in the folder whose
// status is folder: a folder stands there, or the folder is sticky (chmod +t) and the file is another
// account's, which only its owner, the folder's owner or root may replace. Empty when it may.
QString whyNotReplaceable(const FileStatus& folder, const QString& path);

} // namespace brivadoro
