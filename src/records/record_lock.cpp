#include "record_lock.h"

#include <cerrno>
#include <csignal>
#include <tuple>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QStringBuilder>
#include <QSysInfo>
#include <QThread>

#include "record_files.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kLockFileName = u"record.lock";
// A lock taken over is first moved to a name of the taker's own, so that two games taking over the
// same lock never remove a fresh one in its place.
constexpr QStringView kTakenOverSuffix = u".rotto.";
constexpr unsigned long kLockRetryMs = 5;
constexpr qint64 kLockReadLimit = 512;
constexpr int kStartTimeField = 19; // starttime in /proc/<pid>/stat, counted after the name

constexpr QStringView kReasonFolderNotWritable = u"nella cartella non si possono creare file";
constexpr QStringView kReasonFolderGone = u"la cartella non esiste più";
constexpr QStringView kReasonInUse = u"un altro gioco sta usando il record e non l'ha liberato in tempo";
constexpr QStringView kReasonCannotLock = u"il file di blocco non si può creare (%1)";
constexpr QStringView kReasonLockLost = u"un altro gioco ha preso il record mentre lo registravo";
constexpr QStringView kReasonLockExpired =
    u"il disco ha risposto troppo lentamente e un altro gioco potrebbe già usare il record";

QByteArray readSmallFile(const QByteArray& path) {
    const int handle = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return {};
    QByteArray bytes(kLockReadLimit, Qt::Uninitialized);
    const ssize_t got = ::read(handle, bytes.data(), size_t(bytes.size()));
    ::close(handle);
    bytes.resize(got > 0 ? qsizetype(got) : 0);
    return bytes;
}

// When the process started, in ticks since the machine's boot: with its number, what tells a game
// from a later process that happens to reuse the number. Empty when it cannot be read.
QByteArray processStartTime(qint64 pid) {
    const QByteArray stat = readSmallFile("/proc/" + QByteArray::number(pid) + "/stat");
    const qsizetype nameEnd = stat.lastIndexOf(')');
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    return nameEnd < 0 || fields.size() <= kStartTimeField ? QByteArray() : fields[kStartTimeField];
}

// The lock's contents: the process's number and start, the machine's boot, and for people reading
// it, the machine's name.
QByteArray lockContents() {
    const qint64 pid = ::getpid();
    return QByteArray::number(pid) % '\n' % processStartTime(pid) % '\n' % QSysInfo::bootUniqueId() % '\n' %
           QSysInfo::machineHostName().toUtf8() % '\n';
}

// A lock file as a waiting game found it.
struct Sighting {
    dev_t device = 0;
    ino_t inode = 0;
    bool regular = false;
    QByteArray contents;

    friend bool operator==(const Sighting&, const Sighting&) = default;
};

std::optional<Sighting> look(const QByteArray& path) {
    FileStatus info{};
    if (::lstat(path.constData(), &info) != 0)
        return std::nullopt;
    Sighting seen{info.st_dev, info.st_ino, S_ISREG(info.st_mode), {}};
    if (seen.regular)
        seen.contents = readSmallFile(path);
    return seen;
}

enum class Verdict { Held, Gone, Unknown };

// Whether the game that holds the lock is alive, as far as this machine can tell.
Verdict judge(const Sighting& seen) {
    if (!seen.regular)
        return Verdict::Gone; // no game makes a link, a folder or a pipe here
    const QList<QByteArray> lines = seen.contents.split('\n');
    const QByteArray boot = QSysInfo::bootUniqueId();
    if (lines.size() < 3 || boot.isEmpty() || lines[2] != boot)
        return Verdict::Unknown;
    bool ok = false;
    const qint64 pid = lines[0].toLongLong(&ok);
    if (!ok || pid <= 0)
        return Verdict::Unknown;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return Verdict::Gone;
    const QByteArray started = processStartTime(pid);
    return !started.isEmpty() && started != lines[1] ? Verdict::Gone : Verdict::Held;
}

void takeOver(const QByteArray& path, const Sighting& seen) {
    const QByteArray moved = path + QFile::encodeName(kTakenOverSuffix.toString()) +
                             QByteArray::number(::getpid()) + '.' +
                             QByteArray::number(QRandomGenerator::global()->generate());
    if (::rename(path.constData(), moved.constData()) != 0)
        return;
    FileStatus info{};
    const bool same =
        ::lstat(moved.constData(), &info) == 0 && info.st_dev == seen.device && info.st_ino == seen.inode;
    // Another game took the lock between the look and the move: it gets it back, unless a third one
    // has taken its place, in which case the second one's confirmHeld fails before any change.
    if (!same)
        (void)::link(moved.constData(), path.constData());
    ::unlink(moved.constData());
}

// Watches the lock a game waits for: a lock this machine cannot judge is gone once seen unchanged
// for kForeignLockAge.
class LockWatch {
public:
    [[nodiscard]] bool isGone(const Sighting& seen) {
        const Verdict verdict = judge(seen);
        if (verdict != Verdict::Unknown)
            return verdict == Verdict::Gone;
        const auto now = std::chrono::steady_clock::now();
        if (seen != watched_) {
            watched_ = seen;
            since_ = now;
        }
        return now - since_ >= kForeignLockAge;
    }

private:
    std::optional<Sighting> watched_;
    std::chrono::steady_clock::time_point since_;
};

// Why the lock file could not be created, when it is not another game's lock in the way.
[[noreturn]] void refuse(const QString& folder, const QString& path, int error) {
    if (error == EACCES || error == EPERM || error == EROFS)
        throw RecordFileError(folder, kReasonFolderNotWritable.toString());
    if (error == ENOENT || error == ENOTDIR)
        throw RecordFileError(folder, kReasonFolderGone.toString());
    throw RecordFileError(path, kReasonCannotLock.arg(systemReason(error)));
}

} // namespace

RecordLock::RecordLock(const QString& folder)
    : folder_(folder), path_(recordFilePath(folder, kLockFileName)) {
    if (folder.isEmpty())
        throw RecordFileError(kUnknownFolder.toString(), kReasonNoFolder.toString());
    const QByteArray path = QFile::encodeName(path_);
    const QDeadlineTimer deadline(kRecordLockWait);
    LockWatch watch;
    for (;;) {
        takenAt_ = std::chrono::steady_clock::now();
        file_.emplace(path_);
        const int error = errno;
        if (file_->isOpen())
            break;
        file_.reset();
        if (error != EEXIST)
            refuse(folder, path_, error);
        if (const std::optional<Sighting> seen = look(path); seen && watch.isGone(*seen))
            takeOver(path, *seen);
        if (deadline.hasExpired())
            throw RecordFileError(folder, kReasonInUse.toString());
        QThread::msleep(kLockRetryMs);
    }
    // A lock left unnamed by a full disk is only taken over once watched, after this game's lease.
    (void)file_->write(lockContents());
    FileStatus info{};
    if (::fstat(file_->handle(), &info) == 0)
        std::tie(device_, inode_) = std::pair(info.st_dev, info.st_ino);
}

RecordLock::~RecordLock() {
    if (isOurs())
        ::unlink(QFile::encodeName(path_).constData());
}

bool RecordLock::isOurs() const {
    FileStatus info{};
    return ::lstat(QFile::encodeName(path_).constData(), &info) == 0 && info.st_dev == device_ &&
           info.st_ino == inode_;
}

void RecordLock::confirmHeld() const {
    if (!isOurs())
        throw RecordFileError(folder_, kReasonLockLost.toString());
    if (std::chrono::steady_clock::now() - takenAt_ >= kRecordLockLease)
        throw RecordFileError(folder_, kReasonLockExpired.toString());
}

} // namespace brivadoro
