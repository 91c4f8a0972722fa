#pragma once

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QSysInfo>

#include "records/record_pair.h"
#include "records/record_paths.h"
#include "support/record_folder.h"

namespace brivadoro::testing {

using namespace Qt::StringLiterals;

// A trick one pupil plays on the class's folder before another pupil's game, or during it.
enum class Trick {
    LinkForScore,
    LinkForName,
    LinkForStagedScore,
    LinkForStagedName,
    LinkForCommittedName,
    LinkForLock,
    LinksEverywhere,
    UnreadableScore,
    StickyFolder,
    FolderGone,
    PrivateLock,
    PreviousVersionLock,
    LeftoverStagedScore,
    FolderForStagedScore,
    ReadLockHeld,
    FolderForLockInStickyFolder
};

// Anna's process, holding a read lock on the class's lock file until it ends.
inline constexpr QStringView kReadLocker =
    u"import fcntl, os, struct, sys\nhandle = os.open(sys.argv[1], os.O_RDONLY)\n"
    u"fcntl.fcntl(handle, fcntl.F_OFD_SETLK, struct.pack('hhqqi4x', fcntl.F_RDLCK, 0, 0, 0, 0))\n"
    u"print('held', flush=True)\nsys.stdin.read()\n";

// The class's diary folder as the administrator makes it: root's, the class's group, sticky, 3770.
inline QString prepareDiary(const RecordFolder& records) {
    const QString diary = records.folder() + u"diario"_s;
    QDir().mkpath(diary);
    (void)::chown(QFile::encodeName(diary).constData(), 0, kClassGroup);
    ::chmod(QFile::encodeName(diary).constData(), 03770);
    return diary + u'/';
}

// Runs a shell command as the pupil, in the class's group; its exit status.
inline int runAs(const Account& pupil, const QString& command) {
    return QProcess::execute(u"setpriv"_s, {u"--reuid=%1"_s.arg(pupil.uid), u"--regid=%1"_s.arg(kClassGroup),
                                            u"--clear-groups"_s, u"--"_s, u"sh"_s, u"-c"_s, command});
}

inline void asAnna(const QString& path) {
    (void)::lchown(QFile::encodeName(path).constData(), kPupilA.uid, kClassGroup);
}

// Anna's trick on the class's folder before Bruno's game; a read lock is held by readLocker, which
// prints "held" once it holds it.
inline void playTrick(Trick trick, const RecordFolder& records, const QString& homework,
                      QProcess& readLocker) {
    const auto plant = [&](QStringView name) {
        QFile::remove(records.path(name));
        QFile::link(homework, records.path(name));
        asAnna(records.path(name));
    };
    const QStringList names{u"aquadrix.txt"_s,      u"quadrix.txt"_s,        u"aquadrix.txt.nuovo"_s,
                            u"quadrix.txt.nuovo"_s, u"quadrix.txt.pronto"_s, u"record.lock"_s};
    // Anna's own file or folder under a name of the game's, with the mode she gave it.
    const auto leave = [&](const QString& name, const QByteArray& bytes, mode_t mode) {
        QDir().mkpath(QFileInfo(records.path(name)).path());
        records.write(name, bytes);
        asAnna(records.path(name));
        ::chmod(QFile::encodeName(records.path(name)).constData(), mode);
    };
    const QString lock = records.path(u"record.lock");
    if (trick == Trick::LinksEverywhere)
        std::ranges::for_each(names, plant);
    else if (trick <= Trick::LinkForLock)
        plant(names[qsizetype(trick)]);
    else if (trick == Trick::UnreadableScore)
        ::chmod(QFile::encodeName(records.path(kScoreFileName)).constData(), 0);
    else if (trick == Trick::StickyFolder)
        ::chmod(QFile::encodeName(records.folder()).constData(), 03775);
    else if (trick == Trick::FolderForLockInStickyFolder) {
        ::chmod(QFile::encodeName(records.folder()).constData(), 03775);
        leave(u"record.lock/mio.txt"_s, "mio\n", 0644);
        asAnna(records.path(u"record.lock"));
    } else if (trick == Trick::FolderForStagedScore) {
        leave(u"aquadrix.txt.nuovo/mio.txt"_s, "mio\n", 0644);
        asAnna(records.path(u"aquadrix.txt.nuovo"));
        ::chmod(QFile::encodeName(records.path(u"aquadrix.txt.nuovo")).constData(), 0755);
    } else if (trick == Trick::PrivateLock)
        leave(u"record.lock"_s, {}, 0600);
    else if (trick == Trick::PreviousVersionLock)
        leave(u"record.lock"_s, "1\n1\n" + QSysInfo::bootUniqueId() + "\nqui\n", 0644);
    else if (trick == Trick::LeftoverStagedScore)
        leave(u"aquadrix.txt.nuovo"_s, " 99\r\n", 0644);
    else if (trick == Trick::ReadLockHeld) {
        (void)RecordLock(records.folder()); // the lock file, as any game leaves it
        readLocker.start(u"setpriv"_s, {u"--reuid=%1"_s.arg(kPupilA.uid), u"--regid=%1"_s.arg(kClassGroup),
                                        u"--clear-groups"_s, u"--"_s, u"/usr/bin/python3"_s, u"-c"_s,
                                        kReadLocker.toString(), lock});
    }
}

} // namespace brivadoro::testing
