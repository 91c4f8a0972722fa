#include "record_files.h"

#include <cerrno>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringBuilder>
#include <QThread>

#include "board/board_state.h"
#include "record_text.h"

using namespace Qt::StringLiterals;

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
constexpr QStringView kReasonCannotSyncFolder = u"i nuovi file non si possono salvare sul disco";
constexpr QStringView kReasonCannotReplace = u"il file vecchio non si può sostituire";
constexpr QStringView kReasonInUse = u"un altro gioco sta usando il record e non l'ha liberato in tempo";
constexpr QStringView kReasonCannotLock = u"il file di blocco non si può creare";

constexpr QStringView kLockFileName = u"record.lock";
// A lock file whose game is gone counts as left behind at once when it names its process; one that
// was killed before it could, or that names a process of another machine, after this age. A live
// game is never robbed of its lock, whatever its age: QLockFile removes a lock only after taking
// the system lock that its holder keeps on the file.
constexpr std::chrono::milliseconds kStaleLockAge{1000};
constexpr unsigned long kLockRetryMs = 5;

// A new pair is written beside the old one under the staging suffix; renaming the name's staging
// file to the committed suffix is the commit point, after which the pair only moves into place.
constexpr QStringView kStagingSuffix = u".nuovo";
constexpr QStringView kCommittedSuffix = u".pronto";

// How the record files reach the disk; only DiskSyncOverride changes it, for the life of a test.
DiskSync diskSync = ::fsync;

// Every name a pair's replacement uses in the records folder.
struct PairPaths {
    explicit PairPaths(const QString& folder)
        : score(recordFilePath(folder, kScoreFileName)), name(recordFilePath(folder, kNameFileName)),
          stagedScore(score % kStagingSuffix), stagedName(name % kStagingSuffix),
          committedName(name % kCommittedSuffix) {}

    QString score;
    QString name;
    QString stagedScore;
    QString stagedName;
    QString committedName;
};

// The reason, followed by the system's own words for it.
QString withDetail(QStringView reason, const QString& detail) {
    return u"%1 (%2)"_s.arg(reason, detail);
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

bool renamed(const QString& from, const QString& to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

int syncFolder(const QString& folder) {
    const int handle = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        return -1;
    const int result = diskSync(handle);
    const int error = errno;
    ::close(handle);
    errno = error;
    return result;
}

// Writes bytes under the staging name; a failure names the record file.
void stageFile(QFile& staged, const QString& recordPath, const QByteArray& bytes) {
    if (!staged.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw RecordFileError(recordPath, withDetail(kReasonCannotCreate, staged.errorString()));
    if (staged.write(bytes) != bytes.size() || !staged.flush())
        throw RecordFileError(recordPath, withDetail(kReasonCannotWrite, staged.errorString()));
}

void syncStaged(const QFile& staged, const QString& recordPath) {
    if (diskSync(staged.handle()) != 0)
        throw RecordFileError(recordPath, withDetail(kReasonCannotSync, qt_error_string(errno)));
}

// Moves a committed pair into place, the score first. The name's rename ends the commit, so a
// writer stopped between the two leaves it for the next one to finish; the score's staging file is
// then gone already.
std::optional<RecordFileError> finishCommitted(const PairPaths& paths) {
    if (!renamed(paths.stagedScore, paths.score) && errno != ENOENT)
        return RecordFileError(paths.score, withDetail(kReasonCannotReplace, qt_error_string(errno)));
    if (!renamed(paths.committedName, paths.name))
        return RecordFileError(paths.name, withDetail(kReasonCannotReplace, qt_error_string(errno)));
    return std::nullopt;
}

// Leaves the pair whole before it is read or written: a committed pair is finished, the staging
// files of an uncommitted one are removed. Nothing stages a file while a commit is pending, so a
// staging file beside a committed name always belongs to that commit.
void finishOrDiscard(const PairPaths& paths) {
    if (QFileInfo::exists(paths.committedName)) {
        if (std::optional<RecordFileError> failure = finishCommitted(paths))
            throw *failure;
    } else {
        QFile::remove(paths.stagedScore);
    }
    QFile::remove(paths.stagedName);
}

} // namespace

DiskSyncOverride::DiskSyncOverride(DiskSync sync) : previous_(std::exchange(diskSync, std::move(sync))) {}

DiskSyncOverride::~DiskSyncOverride() {
    diskSync = std::move(previous_);
}

RecordFileError::RecordFileError(const QString& path, const QString& reason)
    : std::runtime_error(u"%1: %2"_s.arg(path, reason).toStdString()), path_(path), reason_(reason) {}

QString RecordFileError::message(QStringView intro, QStringView outro) const {
    return u"%1\n\nPercorso: %2\nMotivo: %3.\n\n%4"_s.arg(intro, path_, reason_, outro);
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

RecordLock::RecordLock(const QString& folder)
    : folder_(folder), file_(recordFilePath(folder, kLockFileName)) {
    if (folder.isEmpty())
        throw RecordFileError(kUnknownFolder.toString(), kReasonNoFolder.toString());
    file_.setStaleLockTime(kStaleLockAge);
    const QDeadlineTimer deadline(kRecordLockWait);
    while (!file_.tryLock(std::chrono::milliseconds::zero())) {
        if (file_.error() == QLockFile::PermissionError)
            throw RecordFileError(folder, kReasonFolderNotWritable.toString());
        if (file_.error() != QLockFile::LockFailedError)
            throw RecordFileError(file_.fileName(), kReasonCannotLock.toString());
        if (deadline.hasExpired())
            throw RecordFileError(folder, kReasonInUse.toString());
        QThread::msleep(kLockRetryMs);
    }
}

RecordPair readRecordPair(const RecordLock& lock) {
    const PairPaths paths(lock.folder());
    finishOrDiscard(paths);
    return {Leggifiletxt(paths.score), Leggifiletxt(paths.name)};
}

RecordsAtStartup openRecordFiles(BoardState& state) {
    state.windowsDir = GetSystemDir();
    state.recordReadAtStartup = false;
    try {
        if (state.windowsDir.isEmpty())
            throw RecordFileError(kUnknownFolder.toString(), kReasonNoFolder.toString());
        ensureFolder(state.windowsDir);
        const RecordLock lock(state.windowsDir);
        ensureFileExists(recordFilePath(state.windowsDir, kScoreFileName));
        ensureFileExists(recordFilePath(state.windowsDir, kNameFileName));
        const RecordPair pair = readRecordPair(lock);
        state.recordReadAtStartup = true;
        return {pair.score, pair.name, {}};
    } catch (const RecordFileError& error) {
        return {{}, {}, error.message(kStartupIntro, kStartupOutro)};
    }
}

void writeRecordPair(const RecordLock& lock, const QString& score, const QString& name) {
    const PairPaths paths(lock.folder());
    finishOrDiscard(paths);
    // A folder in a record file's place would stop a rename after the commit point.
    for (const QString& path : {paths.score, paths.name}) {
        if (QFileInfo(path).isDir())
            throw RecordFileError(path, kReasonFolderForFile.toString());
    }
    try {
        QFile stagedScore(paths.stagedScore);
        QFile stagedName(paths.stagedName);
        stageFile(stagedScore, paths.score, encodeRecordLine(score));
        stageFile(stagedName, paths.name, encodeRecordLine(name));
        // Both written before either is synced, so that one journal commit can take both.
        syncStaged(stagedScore, paths.score);
        syncStaged(stagedName, paths.name);
        // The staging files' names must be on the disk before the commit that relies on them.
        if (syncFolder(lock.folder()) != 0)
            throw RecordFileError(lock.folder(), withDetail(kReasonCannotSyncFolder, qt_error_string(errno)));
        if (!renamed(paths.stagedName, paths.committedName))
            throw RecordFileError(paths.name, withDetail(kReasonCannotReplace, qt_error_string(errno)));
    } catch (const RecordFileError&) {
        QFile::remove(paths.stagedScore);
        QFile::remove(paths.stagedName);
        throw;
    }
    // Committed: the new pair is the record now. A rename or sync that fails from here on leaves the
    // commit for the next reading or writing to finish, so the record counts as stored.
    finishCommitted(paths);
    syncFolder(lock.folder());
}

} // namespace brivadoro
