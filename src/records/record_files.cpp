#include "record_files.h"

#include <array>

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringBuilder>
#include <QTemporaryFile>

#include "board/board_state.h"
#include "record_text.h"

namespace brivadoro {

namespace {

constexpr QStringView kDataUnderHome = u"/.local/share";
constexpr QStringView kRecordsFolder = u"/brivadoro";
constexpr QStringView kStartupIntro = u"Non riesco a leggere il record.";
constexpr QStringView kStartupOutro = u"Il gioco continua senza record.";
constexpr QStringView kUnknownFolder = u"(cartella sconosciuta)";
constexpr QStringView kReasonNoFolder = u"il sistema non indica una cartella per i dati dei giochi";
constexpr QStringView kReasonFileInPath = u"nel percorso c'è un file al posto di una cartella: %1";
constexpr QStringView kReasonCannotMakeFolder = u"la cartella non si può creare";
constexpr QStringView kReasonFolderNotWritable = u"nella cartella non si possono creare file";
constexpr QStringView kReasonFolderForFile = u"al posto del file c'è una cartella";
constexpr QStringView kReasonNotRegular = u"non è un file normale";
constexpr QStringView kReasonMissing = u"il file non esiste";
constexpr QStringView kReasonCannotOpen = u"il file non si può aprire";
constexpr QStringView kReasonCannotRead = u"il file non si può leggere";
constexpr QStringView kReasonCannotCreate = u"il nuovo file non si può creare";
constexpr QStringView kReasonCannotWrite = u"il nuovo file non si può scrivere, forse il disco è pieno";
constexpr QStringView kReasonCannotSync = u"il nuovo file non si può salvare sul disco";
constexpr QStringView kReasonCannotReplace = u"il file vecchio non si può sostituire";
// Each new record file is committed beside its file under this suffix first, so that the two
// renames that replace the pair can follow each other with nothing in between.
constexpr QStringView kStagingSuffix = u".nuovo";

// The reason, followed by the system's own words for it.
QString withDetail(QStringView reason, const QString& detail) {
    return u"%1 (%2)"_qs.arg(reason, detail);
}

// The nearest existing ancestor of path when it is not a folder: what stops the folder's creation.
QString fileBlocking(const QString& path) {
    for (QString at = QDir::cleanPath(path);;) {
        const QFileInfo info(at);
        if (info.exists())
            return info.isDir() ? QString() : at;
        const QString parent = info.path();
        if (parent == at)
            return {};
        at = parent;
    }
}

void ensureFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) {
        const QString blocking = fileBlocking(folder);
        throw RecordFileError(folder, blocking.isEmpty() ? kReasonCannotMakeFolder.toString()
                                                         : kReasonFileInPath.arg(blocking));
    }
    QTemporaryFile probe(folder + u".prova-XXXXXX"_qs);
    if (!probe.open())
        throw RecordFileError(folder, withDetail(kReasonFolderNotWritable, probe.errorString()));
}

// Refuses what is not an ordinary file: opening a folder fails, and a pipe or device could block.
void requireRegularFile(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        throw RecordFileError(path, kReasonFolderForFile.toString());
    if (!info.exists())
        throw RecordFileError(path, kReasonMissing.toString());
    if (!info.isFile())
        throw RecordFileError(path, kReasonNotRegular.toString());
}

// Creates a missing file empty and leaves an existing one untouched.
void ensureFileExists(const QString& path) {
    if (QFileInfo::exists(path)) {
        requireRegularFile(path);
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw RecordFileError(path, withDetail(kReasonCannotOpen, file.errorString()));
}

QString stagingPath(const QString& path) {
    return path % kStagingSuffix;
}

// Commits bytes to the disk under the staging name beside path, leaving the file at path as it was.
void stageFile(const QString& path, const QByteArray& bytes) {
    if (QFileInfo(path).isDir())
        throw RecordFileError(path, kReasonFolderForFile.toString());
    QSaveFile file(stagingPath(path));
    if (!file.open(QIODevice::WriteOnly))
        throw RecordFileError(path, withDetail(kReasonCannotCreate, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.flush())
        throw RecordFileError(path, withDetail(kReasonCannotWrite, file.errorString()));
    // QSaveFile::commit ignores a failed sync; a full disk must show here, before any rename.
    if (::fsync(file.handle()) != 0)
        throw RecordFileError(path, withDetail(kReasonCannotSync, qt_error_string(errno)));
    if (!file.commit())
        throw RecordFileError(path, withDetail(kReasonCannotCreate, file.errorString()));
}

void replaceWithStaged(const QString& path) {
    const QByteArray staged = QFile::encodeName(stagingPath(path));
    if (::rename(staged.constData(), QFile::encodeName(path).constData()) != 0)
        throw RecordFileError(path, withDetail(kReasonCannotReplace, qt_error_string(errno)));
}

} // namespace

RecordFileError::RecordFileError(const QString& path, const QString& reason)
    : std::runtime_error(u"%1: %2"_qs.arg(path, reason).toStdString()), path_(path), reason_(reason) {}

QString RecordFileError::message(QStringView intro, QStringView outro) const {
    return u"%1\n\nPercorso: %2\nMotivo: %3.\n\n%4"_qs.arg(intro, path_, reason_, outro);
}

QString GetSystemDir() {
    // The XDG base directory rules, which QStandardPaths bends: a relative path is ignored, since it
    // would move with the working folder, and with no usable HOME there is no place at all rather
    // than the root folder.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(base)) {
        const QString home = qEnvironmentVariable("HOME");
        if (!QDir::isAbsolutePath(home) || !QFileInfo(home).isDir())
            return {};
        base = home % kDataUnderHome;
    }
    return QDir::cleanPath(base % kRecordsFolder) + u'/';
}

QString Leggifiletxt(const QString& nomefile) {
    requireRegularFile(nomefile);
    QFile file(nomefile);
    if (!file.open(QIODevice::ReadOnly))
        throw RecordFileError(nomefile, withDetail(kReasonCannotOpen, file.errorString()));
    const QByteArray bytes = file.read(kRecordReadLimit);
    if (file.error() != QFileDevice::NoError)
        throw RecordFileError(nomefile, withDetail(kReasonCannotRead, file.errorString()));
    return decodeRecordText(bytes, !file.atEnd());
}

RecordsAtStartup openRecordFiles(BoardState& state) {
    state.windowsDir = GetSystemDir();
    state.recordReadAtStartup = false;
    try {
        if (state.windowsDir.isEmpty())
            throw RecordFileError(kUnknownFolder.toString(), kReasonNoFolder.toString());
        ensureFolder(state.windowsDir);
        const QString scorePath = recordFilePath(state.windowsDir, kScoreFileName);
        const QString namePath = recordFilePath(state.windowsDir, kNameFileName);
        ensureFileExists(scorePath);
        ensureFileExists(namePath);
        RecordsAtStartup read{Leggifiletxt(scorePath), Leggifiletxt(namePath), {}};
        state.recordReadAtStartup = true;
        return read;
    } catch (const RecordFileError& error) {
        return {{}, {}, error.message(kStartupIntro, kStartupOutro)};
    }
}

void writeRecordPair(const QString& folder, const QString& score, const QString& name) {
    if (folder.isEmpty())
        throw RecordFileError(kUnknownFolder.toString(), kReasonNoFolder.toString());
    const std::array paths{recordFilePath(folder, kScoreFileName), recordFilePath(folder, kNameFileName)};
    try {
        // A staging file left by a killed writer goes first, so that QSaveFile can give the new one
        // its name at once, leaving nothing else behind if this writer is killed too.
        for (const QString& path : paths)
            QFile::remove(stagingPath(path));
        stageFile(paths[0], encodeRecordLine(score));
        stageFile(paths[1], encodeRecordLine(name));
        // The pair can split only between these two renames, which follow each other at once.
        for (const QString& path : paths)
            replaceWithStaged(path);
    } catch (const RecordFileError&) {
        for (const QString& path : paths)
            QFile::remove(stagingPath(path));
        throw;
    }
}

} // namespace brivadoro
