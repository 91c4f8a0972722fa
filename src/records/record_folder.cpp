#include "record_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStringBuilder>

#include "record_paths.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kRecordsFolder = u"/brivadoro";
constexpr QStringView kReasonFileInPath = u"nel percorso c'è un file al posto di una cartella: %1";
constexpr QStringView kReasonCannotMakeFolder = u"la cartella non si può creare";
constexpr QStringView kReasonNotAbsolute = u"il percorso non parte dalla radice (/)";
constexpr QStringView kReasonNoSuchFolder = u"la cartella non esiste";
constexpr QStringView kReasonConfigUnreadable = u"il file di configurazione non si può leggere (%1)";
constexpr QStringView kFolderMistake = u"brivadoro: %1: %2; il gioco non tiene il record.";
constexpr QStringView kReasonFolderForFile = u"al posto del file c'è una cartella";
constexpr QStringView kReasonSticky =
    u"il file è di un altro utente e la cartella ha il bit sticky (chmod +t), che permette a ciascuno "
    u"di sostituire solo i propri file";

QString withSlash(const QString& folder) {
    return QDir::cleanPath(folder) + u'/';
}

QString perUserFolder(const Settings& settings) {
    return settings.dataHome.isEmpty() ? QString() : withSlash(settings.dataHome % kRecordsFolder);
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

} // namespace

RecordFolderChoice chooseRecordFolder(const Settings& settings) {
    if (const QString& folder = settings.recordDirVariable; !folder.isEmpty())
        return {withSlash(folder), FolderSource::Variable, {}, {}};
    const ConfigValue& configured = settings.config.recordFolder;
    // The administrator meant a class's folder: a file that cannot be read names one, unknown.
    if (!configured.unreadable.isEmpty())
        return {{}, FolderSource::Configuration, configured.file, configured.unreadable};
    if (!configured.value.isEmpty())
        return {withSlash(configured.value), FolderSource::Configuration, configured.file, {}};
    return {perUserFolder(settings), FolderSource::PerUser, {}, {}};
}

QString GetSystemDir(const Settings& settings) {
    return chooseRecordFolder(settings).folder;
}

void checkRecordFolder(const RecordFolderChoice& choice) {
    const QString& folder = choice.folder;
    if (!choice.unreadableConfig.isEmpty())
        throw RecordFileError(choice.configFile, kReasonConfigUnreadable.arg(choice.unreadableConfig));
    if (folder.isEmpty())
        throw RecordFileError(kUnknownFolder.toString(), kReasonNoFolder.toString());
    // A class's folder is the administrator's to make: creating it here could put the records
    // wherever a mistyped name points, unseen by the rest of the class.
    if (choice.source != FolderSource::PerUser && !QDir::isAbsolutePath(folder))
        throw RecordFileError(folder, kReasonNotAbsolute.toString());
    const QString blocking = fileBlocking(folder);
    if (!blocking.isEmpty())
        throw RecordFileError(folder, kReasonFileInPath.arg(blocking));
    if (choice.source != FolderSource::PerUser && !QFileInfo(folder).isDir())
        throw RecordFileError(folder, kReasonNoSuchFolder.toString());
}

void prepareRecordFolder(const RecordFolderChoice& choice) {
    checkRecordFolder(choice);
    if (choice.source == FolderSource::PerUser && !QDir().mkpath(choice.folder))
        throw RecordFileError(choice.folder, kReasonCannotMakeFolder.toString());
}

QString recordFolderMistake(const RecordFolderChoice& choice) {
    // An unreadable configuration file is among the configuration's own mistakes.
    if (choice.source == FolderSource::PerUser || !choice.unreadableConfig.isEmpty())
        return {};
    try {
        checkRecordFolder(choice);
        return {};
    } catch (const RecordFileError& error) {
        return kFolderMistake.arg(error.path(), error.reason());
    }
}

QString whyNotReplaceable(const FileStatus& folder, const QString& path) {
    const std::optional<FileStatus> file = linkStatus(path);
    if (!file)
        return {};
    if (S_ISDIR(file->st_mode))
        return kReasonFolderForFile.toString();
    const uid_t account = ::geteuid();
    if ((folder.st_mode & S_ISVTX) != 0 && account != 0 && folder.st_uid != account &&
        file->st_uid != account)
        return kReasonSticky.toString();
    return {};
}

} // namespace brivadoro
