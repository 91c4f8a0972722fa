#include "diary_writer.h"

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>

#include <QFileInfo>

#include "diary_folder.h"
#include "records/file_handle.h"
#include "records/record_paths.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr mode_t kOwnFolderMode = 0700;
constexpr mode_t kOwnFileMode = 0600;
constexpr mode_t kClassFileMode = 0640;

constexpr QStringView kFailure = u"brivadoro: diario %1: %2; la partita non è stata annotata.";
constexpr QStringView kReasonCannotMakeFolder = u"la cartella non si può creare (%1)";
constexpr QStringView kReasonCannotOpen = u"il file non si può aprire (%1)";
constexpr QStringView kReasonCannotWrite = u"il file non si può scrivere (%1)";
constexpr QStringView kReasonNotOwn = u"il file non è un file normale di questo account con un solo nome";
constexpr QStringView kReasonBothTaken = u"i nomi di questo account sono presi da altri";
constexpr QStringView kReasonSquashed =
    u"la condivisione attribuisce il nuovo file all'account %1, non a questo (come NFS con all_squash), "
    u"perciò il diario non distinguerebbe gli alunni";

// What became of an attempt at one of the account's file names.
enum class Opening { Opened, Taken, Failed };

struct OpenedFile {
    Opening result = Opening::Failed;
    FileHandle handle;
    bool created = false;
    QString reason;      // when Failed
    FileStatus status{}; // of the opened file, as the one fstat on its handle saw it
};

// Whether the file is this account's own regular file with one name, which no other account can
// have led this game to.
bool isOwnFile(const FileStatus& file) {
    return S_ISREG(file.st_mode) && file.st_uid == ::geteuid() && file.st_nlink == 1;
}

// Opens the file under path for appending, creating it when missing, never through a link and never
// another account's: that name is then taken, and the next one is tried.
OpenedFile openOwnFile(const QString& path, bool classFolder) {
    const QByteArray name = QFile::encodeName(path);
    FileHandle handle(::open(name.constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!handle.isOpen() && errno == ENOENT) {
        const mode_t mode = classFolder ? kClassFileMode : kOwnFileMode;
        handle = FileHandle(
            ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
        if (handle.isOpen()) {
            (void)::fchmod(handle.get(), mode);
            FileStatus made{};
            if (::fstat(handle.get(), &made) == 0 && made.st_uid != ::geteuid()) {
                ::unlink(name.constData());
                return {Opening::Failed, {}, false, kReasonSquashed.arg(accountName(made.st_uid))};
            }
            return {Opening::Opened, std::move(handle), true, {}, made};
        }
        if (errno == EEXIST)
            return {Opening::Taken, {}, false, {}};
    }
    if (!handle.isOpen()) {
        // A link, a folder or a file this account may not write stands under its name: another's.
        if (errno == ELOOP || errno == EISDIR || errno == EACCES || errno == EPERM || errno == ENXIO)
            return {Opening::Taken, {}, false, {}};
        return {Opening::Failed, {}, false, kReasonCannotOpen.arg(systemReason(errno))};
    }
    FileStatus info{};
    if (::fstat(handle.get(), &info) != 0)
        return {Opening::Failed, {}, false, kReasonCannotOpen.arg(systemReason(errno))};
    if (!isOwnFile(info))
        return {info.st_uid != ::geteuid() ? Opening::Taken : Opening::Failed,
                {},
                false,
                kReasonNotOwn.toString()};
    return {Opening::Opened, std::move(handle), false, {}, info};
}

// Whether the file that the writing handle has open, as written describes it, ends in a line end: a
// line cut short by a power cut must not swallow the next entry.
bool endsWithLineEnd(const QString& path, const FileStatus& written) {
    const FileHandle reader(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    FileStatus read{};
    char last = '\n';
    if (!reader.isOpen() || ::fstat(reader.get(), &read) != 0 || !sameFile(read, written))
        return true; // only the writing handle is sure to be the file: add nothing
    return ::pread(reader.get(), &last, 1, written.st_size - 1) != 1 || last == '\n';
}

// Appends the line to the open file, after the header in a new one, and syncs it.
QString append(const QString& path, const OpenedFile& file, const QByteArray& line) {
    // A file just made, or one a power cut left empty, gets its header.
    QByteArray bytes;
    if (file.status.st_size == 0)
        bytes += kDiaryHeader.toByteArray();
    else if (!endsWithLineEnd(path, file.status))
        bytes += '\n';
    bytes += line;
    if (!writeAll(file.handle.get(), bytes) || ::fsync(file.handle.get()) != 0)
        return kFailure.arg(path, kReasonCannotWrite.arg(systemReason(errno)));
    if (file.created) { // the new file's name reaches the disk too
        const FileHandle folder(::open(QFile::encodeName(QFileInfo(path).path()).constData(),
                                       O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (folder.isOpen())
            (void)::fsync(folder.get());
    }
    return {};
}

} // namespace

QString appendDiaryEntry(const RecordFolderChoice& choice, const DiaryEntry& entry, const RecordLock* held) {
    if (choice.folder.isEmpty())
        return kFailure.arg(kUnknownFolder, kReasonNoFolder);
    DiaryFolder diary = checkDiaryFolder(choice);
    if (diary.missing && ::mkdir(QFile::encodeName(diary.path).constData(), kOwnFolderMode) != 0 &&
        errno != EEXIST)
        return kFailure.arg(diary.path, kReasonCannotMakeFolder.arg(systemReason(errno)));
    if (diary.missing)
        diary = checkDiaryFolder(choice);
    if (!diary.problem.isEmpty())
        return kFailure.arg(diary.path, diary.problem);
    try {
        std::optional<RecordLock> own;
        if (held == nullptr)
            own.emplace(choice.folder);
        for (const bool taken : {false, true}) {
            const QString path = diary.path + diaryFileName(::geteuid(), taken);
            OpenedFile file = openOwnFile(path, diary.classFolder);
            if (file.result == Opening::Opened)
                return append(path, file, encodeDiaryLine(entry));
            if (file.result == Opening::Failed)
                return kFailure.arg(path, file.reason);
        }
        return kFailure.arg(diary.path, kReasonBothTaken.toString());
    } catch (const RecordFileError& error) {
        return kFailure.arg(error.path(), error.reason());
    }
}

} // namespace brivadoro
