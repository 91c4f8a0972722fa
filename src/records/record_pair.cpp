#include "record_pair.h"

#include <cerrno>
#include <optional>
#include <utility>

#include <fcntl.h>

#include "file_handle.h"
#include "new_file.h"
#include "record_paths.h"
#include "record_text.h"

namespace brivadoro {

namespace {

constexpr QStringView kStartupIntro = u"Non riesco a leggere il record.";
constexpr QStringView kStartupOutro = u"Il gioco continua senza record.";
constexpr QStringView kReasonCannotOpen = u"il file non si può aprire";
constexpr QStringView kReasonCannotCreate = u"il nuovo file non si può creare";
constexpr QStringView kReasonCannotWrite = u"il nuovo file non si può scrivere, forse il disco è pieno";
constexpr QStringView kReasonCannotSync = u"il nuovo file non si può salvare sul disco";
constexpr QStringView kReasonCannotSyncFolder = u"i nuovi file non si possono salvare sul disco";
constexpr QStringView kReasonCannotReplace = u"il file vecchio non si può sostituire";

// How the record files reach the disk; only DiskSyncOverride changes it, for the life of a test.
DiskSync diskSync = ::fsync;

// Creates a missing file empty and leaves whatever stands under its name untouched: reading it
// tells whether it serves.
void ensureFileExists(const QString& path) {
    const NewFile file(path);
    if (!file.isOpen() && errno != EEXIST)
        throw RecordFileError(path, withDetail(kReasonCannotOpen, systemReason(errno)));
}

bool renamed(const QString& from, const QString& to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

int syncFolder(const QString& folder) {
    const FileHandle handle(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return handle.isOpen() ? diskSync(handle.get()) : -1;
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

// Moves a committed pair into place, the score first, once the lock is confirmed. The name's rename
// ends the commit, so a writer stopped between the two leaves it for the next one to finish; the
// score's staging file is then gone already. Only files move into the pair's place: anything else
// under a staging name is cleared away.
void finishCommitted(const RecordLock& lock, const PairPaths& paths) {
    lock.confirmHeld();
    if (!isPlainFile(paths.stagedScore))
        clearName(paths.stagedScore);
    else if (!renamed(paths.stagedScore, paths.score))
        throw RecordFileError(paths.score, withDetail(kReasonCannotReplace, systemReason(errno)));
    if (!renamed(paths.committedName, paths.name))
        throw RecordFileError(paths.name, withDetail(kReasonCannotReplace, systemReason(errno)));
}

// Leaves the pair whole before it is read or written: a committed pair is finished, the staging
// files of an uncommitted one are removed. Nothing stages a file while a commit is pending, so a
// staging file beside a committed name always belongs to that commit; no game commits a link. Only
// the lock's holder runs it, and only once it has confirmed that the lock file is still the one it
// locked, so no game ever removes a staging file that another is writing.
void finishOrDiscard(const RecordLock& lock, const PairPaths& paths) {
    lock.confirmHeld();
    if (isPlainFile(paths.committedName)) {
        finishCommitted(lock, paths);
    } else {
        clearName(paths.committedName);
        clearName(paths.stagedScore);
    }
    clearName(paths.stagedName);
}

// Refuses, before anything is written, what would stop a rename after the commit point.
void requireReplaceable(const QString& folder, const PairPaths& paths) {
    const std::optional<FileStatus> folderStatus = linkStatus(folder);
    if (!folderStatus)
        return; // the staging files' creation names the folder's trouble
    for (const QString& path : {paths.score, paths.name}) {
        if (const QString why = whyNotReplaceable(*folderStatus, path); !why.isEmpty())
            throw RecordFileError(path, why);
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
    try {
        finishCommitted(lock, paths);
    } catch (const RecordFileError&) {
        return; // the next reading or writing finishes the commit
    }
    syncFolder(lock.folder());
}

} // namespace

DiskSyncOverride::DiskSyncOverride(DiskSync sync) : previous_(std::exchange(diskSync, std::move(sync))) {}

DiskSyncOverride::~DiskSyncOverride() {
    diskSync = std::move(previous_);
}

RecordPair readRecordPair(const RecordLock& lock) {
    finishOrDiscard(lock, PairPaths(lock.folder()));
    return readPairInPlace(lock.folder());
}

RecordsAtStartup openRecordFiles(const RecordFolderChoice& choice) {
    try {
        prepareRecordFolder(choice);
        const RecordLock lock(choice.folder);
        ensureFileExists(recordFilePath(choice.folder, kScoreFileName));
        ensureFileExists(recordFilePath(choice.folder, kNameFileName));
        const RecordPair pair = readRecordPair(lock);
        return {pair.score, pair.name, {}, true};
    } catch (const RecordFileError& error) {
        return {{}, {}, error.message(kStartupIntro, kStartupOutro), false};
    }
}

void writeRecordPair(const RecordLock& lock, const QString& score, const QString& name) {
    replacePair(lock, encodeRecordLine(score), encodeRecordLine(name));
}

void clearRecordPair(const RecordLock& lock) {
    replacePair(lock, {}, {});
}

} // namespace brivadoro
