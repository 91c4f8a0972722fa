#include "diary_reader.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <dirent.h>
#include <fcntl.h>

#include <QFile>

#include "records/file_handle.h"
#include "records/record_paths.h"
#include "records/record_text.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr qsizetype kPieceSize = qsizetype{64} * 1024;
// Longer than any line the game writes, whose name is at most the longest name, three UTF-8 bytes a
// unit; a longer line is garbage, dropped as it is read and never held whole.
constexpr qsizetype kLongestLine = kRecordReadLimit;

constexpr QStringView kSkippedLink = u"%1: è un collegamento simbolico, saltato";
constexpr QStringView kSkippedFolder = u"%1: è una cartella, saltata";
constexpr QStringView kSkippedNotFile = u"%1: non è un file normale, saltato";
constexpr QStringView kSkippedNoDiary = u"%1: non è un file del diario (manca l'intestazione), saltato";
constexpr QStringView kSkippedUnreadable = u"%1: non si può leggere: %2";
constexpr QStringView kSkippedLine = u"%1: 1 riga saltata";
constexpr QStringView kSkippedLines = u"%1: %2 righe saltate";
constexpr QStringView kSkippedPastLimit = u"%1: letti solo i primi 64 MiB, il resto è saltato";

struct DirectoryCloser {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

// The names in the open folder, sorted; nothing, with errno set, when it cannot be listed.
std::optional<QList<QByteArray>> namesIn(const FileHandle& folder) {
    const int copy = ::fcntl(folder.get(), F_DUPFD_CLOEXEC, 0);
    const std::unique_ptr<DIR, DirectoryCloser> directory(copy < 0 ? nullptr : ::fdopendir(copy));
    if (!directory) {
        const int error = errno;
        if (copy >= 0)
            ::close(copy);
        errno = error;
        return std::nullopt;
    }
    QList<QByteArray> names;
    errno = 0;
    while (const dirent* entry = ::readdir(directory.get())) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    if (errno != 0)
        return std::nullopt;
    std::ranges::sort(names);
    return names;
}

// The lines of one diary file, taken a piece at a time.
class DiaryFileLines {
public:
    DiaryFileLines(const QString& since, const DiaryAccount& account, const DiaryVisitor& visit)
        : since_(since), account_(account), visit_(visit) {}

    // Takes the next bytes of the file; false once the rest of the file is of no interest.
    bool take(QByteArrayView bytes) {
        qsizetype start = 0;
        for (qsizetype end = bytes.indexOf('\n'); end >= 0; end = bytes.indexOf('\n', start)) {
            const QByteArrayView piece = bytes.sliced(start, end - start);
            start = end + 1;
            if (overlong_) {
                overlong_ = false;
                ++badLines_;
            } else if (pending_.isEmpty()) {
                takeLine(piece);
            } else {
                pending_ += piece;
                takeLine(pending_);
                pending_.clear();
            }
            if (notDiary_)
                return false;
        }
        if (!overlong_)
            pending_ += bytes.sliced(start);
        if (pending_.size() > kLongestLine) {
            overlong_ = true;
            pending_.clear();
        }
        return true;
    }

    // At the end of the file: a last line without its line end was cut short.
    void finish() {
        if (notDiary_ || (!overlong_ && pending_.isEmpty()))
            return;
        if (headerSeen_)
            ++badLines_;
        else
            takeLine(pending_);
    }

    [[nodiscard]] bool notDiary() const { return notDiary_; }
    [[nodiscard]] qsizetype badLines() const { return badLines_; }
    [[nodiscard]] qsizetype entries() const { return entries_; }

private:
    void takeLine(QByteArrayView line) {
        if (!headerSeen_) {
            // A header cut short by a power cut, which the writer ended before the next entry, still
            // marks a diary; the cut header counts as a skipped line.
            const QByteArrayView header = kDiaryHeader.chopped(1);
            headerSeen_ = !line.isEmpty() && header.startsWith(line);
            notDiary_ = !headerSeen_;
            badLines_ += headerSeen_ && line.size() < header.size() ? 1 : 0;
            return;
        }
        if (line.startsWith('#'))
            return;
        const std::optional<DiaryEntry> entry =
            line.size() > kLongestLine ? std::nullopt : decodeDiaryLine(line);
        if (!entry) {
            ++badLines_;
            return;
        }
        if (!since_.isEmpty() && entry->day() < QStringView(since_))
            return;
        ++entries_;
        visit_(*entry, account_);
    }

    const QString& since_;
    const DiaryAccount& account_;
    const DiaryVisitor& visit_;
    QByteArray pending_; // the start of a line whose end is still to come
    bool overlong_ = false;
    bool headerSeen_ = false;
    bool notDiary_ = false;
    qsizetype badLines_ = 0;
    qsizetype entries_ = 0;
};

// Why a diary file was not opened, or is not read.
QString openingProblem(int error, const QString& shown) {
    if (error == ELOOP)
        return kSkippedLink.arg(shown);
    if (error == ENXIO) // a socket
        return kSkippedNotFile.arg(shown);
    return kSkippedUnreadable.arg(shown, systemReason(error));
}

QString typeProblem(const FileStatus& status, const QString& shown) {
    if (S_ISDIR(status.st_mode))
        return kSkippedFolder.arg(shown);
    return S_ISREG(status.st_mode) ? QString() : kSkippedNotFile.arg(shown);
}

// Reads one open regular file to its end, or to the reading limit; adds what it skipped to reading.
void readDiaryFile(const FileHandle& file, DiaryFileLines& lines, const QString& shown,
                   DiaryReading& reading) {
    QByteArray piece(kPieceSize, Qt::Uninitialized);
    qint64 total = 0;
    bool pastLimit = false;
    for (;;) {
        const qint64 wanted = std::min<qint64>(kPieceSize, kDiaryFileReadLimit - total);
        // One byte more at the limit, to tell a file that ends there from one that goes on.
        const ssize_t got = ::read(file.get(), piece.data(), size_t(std::max<qint64>(wanted, 1)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reading.skipped << kSkippedUnreadable.arg(shown, systemReason(errno));
            return;
        }
        if (got == 0 || wanted == 0) {
            pastLimit = got > 0;
            break;
        }
        total += got;
        if (!lines.take(QByteArrayView(piece.constData(), got)))
            break;
    }
    if (!pastLimit)
        lines.finish();
    if (lines.notDiary()) {
        reading.skipped << kSkippedNoDiary.arg(shown);
        return;
    }
    reading.entries += lines.entries();
    if (lines.badLines() > 0)
        reading.skipped << (lines.badLines() == 1 ? kSkippedLine.arg(shown)
                                                  : kSkippedLines.arg(shown).arg(lines.badLines()));
    if (pastLimit)
        reading.skipped << kSkippedPastLimit.arg(shown);
}

} // namespace

DiaryReading readDiary(const QString& folder, const QDate& since, const DiaryVisitor& visit) {
    DiaryReading reading;
    // Without its trailing "/", through which a link to a folder would be followed.
    QString unslashed = folder;
    while (unslashed.size() > 1 && unslashed.endsWith(u'/'))
        unslashed.chop(1);
    const FileHandle directory(
        ::open(QFile::encodeName(unslashed).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    std::optional<QList<QByteArray>> names = directory.isOpen() ? namesIn(directory) : std::nullopt;
    if (!names) {
        const int error = errno;
        reading.folder = error == ENOENT ? DiaryFolderState::Missing : DiaryFolderState::Unreadable;
        reading.folderReason = systemReason(error);
        return reading;
    }
    const QString day = since.isNull() ? QString() : since.toString(Qt::ISODate);
    for (const QByteArray& name : *names) {
        const QString shown = visibleText(folder + QFile::decodeName(name));
        const FileHandle file(
            ::openat(directory.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        FileStatus status{};
        if (!file.isOpen() || ::fstat(file.get(), &status) != 0) {
            reading.skipped << openingProblem(errno, shown);
            continue;
        }
        if (const QString problem = typeProblem(status, shown); !problem.isEmpty()) {
            reading.skipped << problem;
            continue;
        }
        const DiaryAccount account{status.st_uid, accountName(status.st_uid)};
        DiaryFileLines lines(day, account, visit);
        readDiaryFile(file, lines, shown, reading);
    }
    return reading;
}

} // namespace brivadoro
