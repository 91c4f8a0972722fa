#include "record_reading.h"

#include <cerrno>

#include <fcntl.h>

#include "file_handle.h"
#include "record_paths.h"
#include "record_text.h"

namespace brivadoro {

namespace {

constexpr QStringView kReasonFolderForFile = u"al posto del file c'è una cartella";
constexpr QStringView kReasonLink =
    u"al posto del file c'è un collegamento simbolico, che il gioco non segue";
constexpr QStringView kReasonNotRegular = u"non è un file normale";
constexpr QStringView kReasonMissing = u"il file non esiste";
constexpr QStringView kReasonCannotOpen = u"il file non si può aprire";
constexpr QStringView kReasonCannotRead = u"il file non si può leggere";

// The file's content, or nothing for a missing file.
std::optional<QString> readIfThere(const QString& path) {
    // Opened without following a link and without waiting on a pipe; what it is, the handle tells.
    FileHandle handle(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!handle.isOpen()) {
        const int error = errno;
        if (error == ENOENT)
            return std::nullopt;
        if (error == ELOOP)
            throw RecordFileError(path, kReasonLink.toString());
        throw RecordFileError(path, withDetail(kReasonCannotOpen, systemReason(error)));
    }
    FileStatus info{};
    if (::fstat(handle.get(), &info) != 0)
        throw RecordFileError(path, withDetail(kReasonCannotOpen, systemReason(errno)));
    if (S_ISDIR(info.st_mode))
        throw RecordFileError(path, kReasonFolderForFile.toString());
    if (!S_ISREG(info.st_mode))
        throw RecordFileError(path, kReasonNotRegular.toString());
    QFile file;
    if (!file.open(handle.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        throw RecordFileError(path, withDetail(kReasonCannotOpen, file.errorString()));
    const QByteArray bytes = file.read(kRecordReadLimit);
    if (file.error() != QFileDevice::NoError)
        throw RecordFileError(path, withDetail(kReasonCannotRead, file.errorString()));
    return decodeRecordText(bytes, !file.atEnd());
}

QString readOrEmpty(const QString& path) {
    return readIfThere(path).value_or(QString());
}

} // namespace

QString Leggifiletxt(const QString& nomefile) {
    if (std::optional<QString> text = readIfThere(nomefile))
        return *std::move(text);
    throw RecordFileError(nomefile, kReasonMissing.toString());
}

RecordPair readPairInPlace(const QString& folder) {
    const PairPaths paths(folder);
    return {readOrEmpty(paths.score), readOrEmpty(paths.name)};
}

PeekedPair peekRecordPair(const QString& folder) {
    const PairPaths paths(folder);
    if (isPlainFile(paths.committedName)) {
        // The score was moved into place first: a staged score beside the committed name is the new one.
        const QString& score = isPlainFile(paths.stagedScore) ? paths.stagedScore : paths.score;
        return {{readOrEmpty(score), readOrEmpty(paths.committedName)}, PairState::Pending};
    }
    const std::optional<QString> score = readIfThere(paths.score);
    const std::optional<QString> name = readIfThere(paths.name);
    if (!score && !name)
        return {{}, PairState::Missing};
    return {{score.value_or(QString()), name.value_or(QString())}, PairState::InPlace};
}

} // namespace brivadoro
