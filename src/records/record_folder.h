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
};

// The records folder in use: BRIVADORO_RECORD_DIR, else RecordFolder of the configuration file,
// else brivadoro/ under $XDG_DATA_HOME or ~/.local/share.
RecordFolderChoice chooseRecordFolder();

// Not a system folder: the records folder in use, as chooseRecordFolder gives it.
QString GetSystemDir();

// Makes the chosen folder ready for the records: the player's own is created when missing; a class's
// folder must be an absolute path to an existing folder. Throws RecordFileError naming it.
void prepareRecordFolder(const RecordFolderChoice& choice);

} // namespace brivadoro
