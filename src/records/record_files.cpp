#include "record_files.h"

#include <cerrno>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStringBuilder>

#include "board/board_state.h"
#include "new_file.h"
#include "record_text.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kStartupIntro = u"Non riesco a leggere il record.";
constexpr QStringView kStartupOutro = u"Il gioco continua senza record.";
constexpr QStringView kReasonFolderForFile = u"al posto del file c'è una cartella";
constexpr QStringView kReasonLink =
    u"al posto del file c'è un collegamento simbolico, che il gioco non segue";
constexpr QStringView kReasonNotRegular = u"non è un file normale";
constexpr QStringView kReasonMissing = u"il file non esiste";
constexpr QStringView kReasonCannotOpen = u"il file non si può aprire";
constexpr QStringView kReasonCannotRead = u"il file non si può leggere";
constexpr QStringView kReasonCannotCreate = u"il nuovo file non si può creare";
constexpr QStringView kReasonCannotWrite = u"il nuovo file non si può scrivere, forse il disco è pieno";
constexpr QStringView kReasonCannotSync = u"il nuovo file non si può salvare sul disco";
constexpr QStringView kReasonCannotSyncFolder = u"i nuovi file non si possono salvare sul disco";
constexpr QStringView kReasonCannotReplace = u"il file vecchio non si può sostituire";
constexpr QStringView kReasonSticky =
    u"il file è di un altro utente e la cartella ha il bit sticky (chmod +t), che permette a ciascuno "
    u"di sostituire solo i propri file";

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

// Creates a missing file empty and leaves whatever stands under its name untouched: reading it
// tells whether it serves.
void ensureFileExists(const QString& path) {
    const NewFile file(path);
    if (!file.isOpen() && errno != EEXIST)
        throw RecordFileError(path, withDetail(kReasonCannotOpen, systemReason(errno)));
}

// Whether a regular file, not a link, stands under the name.
bool isPlainFile(const QString& path) {
    FileStatus info{};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
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

// Writes bytes into a staging file made new; a failure names the record file.
void stageFile(const NewFile& staged, const QString& recordPath, const QByteArray& bytes) {
    if (!staged.isOpen())
        throw RecordFileError(recordPath, withDetail(kReasonCannotCreate, systemReason(errno)));
    if (!staged.write(bytes))
        throw RecordFileError(recordPath, withDetail(kReasonCannotWrite, systemReason(errno)));
}

void syncStaged(const NewFile& staged, const QString& recordPath) {
    if (diskSync(staged.handle()) != 0)
        throw RecordFileError(recordPath, withDetail(kReasonCannotSync, systemReason(errno)));
}

// Moves a committed pair into place, the score first. The name's rename ends the commit, so a
// writer stopped between the two leaves it for the next one to finish; the score's staging file is
// then gone already. Only files move into the pair's place: anything else under a staging name is
// cleared away.
std::optional<RecordFileError> finishCommitted(const RecordLock& lock, const PairPaths& paths) {
    try {
        lock.confirmHeld();
    } catch (const RecordFileError& error) {
        return error;
    }
    if (!isPlainFile(paths.stagedScore))
        clearName(paths.stagedScore);
    else if (!renamed(paths.stagedScore, paths.score))
        return RecordFileError(paths.score, withDetail(kReasonCannotReplace, systemReason(errno)));
    if (!renamed(paths.committedName, paths.name))
        return RecordFileError(paths.name, withDetail(kReasonCannotReplace, systemReason(errno)));
    return std::nullopt;
}

// Leaves the pair whole before it is read or written: a committed pair is finished, the staging
// files of an uncommitted one are removed. Nothing stages a file while a commit is pending, so a
// staging file beside a committed name always belongs to that commit; no game commits a link. Only
// the lock's holder runs it, so no game ever removes a staging file that another is writing.
void finishOrDiscard(const RecordLock& lock, const PairPaths& paths) {
    if (isPlainFile(paths.committedName)) {
        if (std::optional<RecordFileError> failure = finishCommitted(lock, paths))
            throw *failure;
    } else {
        clearName(paths.committedName);
        clearName(paths.stagedScore);
    }
    clearName(paths.stagedName);
}

// Refuses, before anything is written, what would stop a rename after the commit point: a folder in
// a record file's place, or another account's record file in a sticky folder, which only its
// owner may replace.
void requireReplaceable(const QString& folder, const PairPaths& paths) {
    FileStatus folderInfo{};
    const bool sticky = ::stat(QFile::encodeName(folder).constData(), &folderInfo) == 0 &&
                        (folderInfo.st_mode & S_ISVTX) != 0 && ::geteuid() != 0 &&
                        folderInfo.st_uid != ::geteuid();
    for (const QString& path : {paths.score, paths.name}) {
        FileStatus info{};
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            throw RecordFileError(path, kReasonFolderForFile.toString());
        if (sticky && info.st_uid != ::geteuid())
            throw RecordFileError(path, kReasonSticky.toString());
    }
}

void replacePair(const RecordLock& lock, const QByteArray& score, const QByteArray& name) {
    const PairPaths paths(lock.folder());
    finishOrDiscard(lock, paths);
    requireReplaceable(lock.folder(), paths);
    try {
        const NewFile stagedScore(paths.stagedScore);
        stageFile(stagedScore, paths.score, score);
        const NewFile stagedName(paths.stagedName);
        stageFile(stagedName, paths.name, name);
        // Both written before either is synced, so that one journal commit can take both.
        syncStaged(stagedScore, paths.score);
        syncStaged(stagedName, paths.name);
        // The staging files' names must be on the disk before the commit that relies on them.
        if (syncFolder(lock.folder()) != 0)
            throw RecordFileError(lock.folder(), withDetail(kReasonCannotSyncFolder, systemReason(errno)));
        lock.confirmHeld();
        if (!renamed(paths.stagedName, paths.committedName))
            throw RecordFileError(paths.name, withDetail(kReasonCannotReplace, systemReason(errno)));
    } catch (const RecordFileError&) {
        // A game whose lock file was replaced leaves the staging names to the game that locked the new one.
        if (lock.isHeld()) {
            QFile::remove(paths.stagedScore);
            QFile::remove(paths.stagedName);
        }
        throw;
    }
    // Committed: the new pair is the record now. A rename or sync that fails from here on leaves the
    // commit for the next reading or writing to finish, so the record counts as stored.
    finishCommitted(lock, paths);
    syncFolder(lock.folder());
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

QString Leggifiletxt(const QString& nomefile) {
    // Opened without following a link and without waiting on a pipe; what it is, the handle tells.
    const int handle =
        ::open(QFile::encodeName(nomefile).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) {
        const int error = errno;
        if (error == ELOOP)
            throw RecordFileError(nomefile, kReasonLink.toString());
        if (error == ENOENT)
            throw RecordFileError(nomefile, kReasonMissing.toString());
        throw RecordFileError(nomefile, withDetail(kReasonCannotOpen, systemReason(error)));
    }
    QFile file;
    FileStatus info{};
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) || ::fstat(handle, &info) != 0)
        throw RecordFileError(nomefile, withDetail(kReasonCannotOpen, file.errorString()));
    if (S_ISDIR(info.st_mode))
        throw RecordFileError(nomefile, kReasonFolderForFile.toString());
    if (!S_ISREG(info.st_mode))
        throw RecordFileError(nomefile, kReasonNotRegular.toString());
    const QByteArray bytes = file.read(kRecordReadLimit);
    if (file.error() != QFileDevice::NoError)
        throw RecordFileError(nomefile, withDetail(kReasonCannotRead, file.errorString()));
    return decodeRecordText(bytes, !file.atEnd());
}

RecordPair readRecordPair(const RecordLock& lock) {
    const PairPaths paths(lock.folder());
    finishOrDiscard(lock, paths);
    return {Leggifiletxt(paths.score), Leggifiletxt(paths.name)};
}

RecordsAtStartup openRecordFiles(BoardState& state) {
    const RecordFolderChoice choice = chooseRecordFolder();
    state.windowsDir = choice.folder;
    state.recordReadAtStartup = false;
    try {
        prepareRecordFolder(choice);
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
    replacePair(lock, encodeRecordLine(score), encodeRecordLine(name));
}

void clearRecordPair(const RecordLock& lock) {
    replacePair(lock, {}, {});
}

PeekedPair peekRecordPair(const QString& folder) {
    const PairPaths paths(folder);
    if (!isPlainFile(paths.committedName))
        return {{Leggifiletxt(paths.score), Leggifiletxt(paths.name)}, false};
    // The score was moved into place first: a staged score beside the committed name is the new one.
    const QString& score = isPlainFile(paths.stagedScore) ? paths.stagedScore : paths.score;
    return {{Leggifiletxt(score), Leggifiletxt(paths.committedName)}, true};
}

} // namespace brivadoro
