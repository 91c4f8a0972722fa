#include "record_paths.h"

#include <grp.h>
#include <pwd.h>

#include <QStringBuilder>

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {
constexpr QStringView kStagingSuffix = u".nuovo";
constexpr QStringView kCommittedSuffix = u".pronto";

// A group's entry, named without the elaborated "struct" that getgrgid the function makes necessary.
using GroupEntry = struct ::group;
} // namespace

PairPaths::PairPaths(const QString& folder)
    : score(recordFilePath(folder, kScoreFileName)), name(recordFilePath(folder, kNameFileName)),
      stagedScore(score % kStagingSuffix), stagedName(name % kStagingSuffix),
      committedName(name % kCommittedSuffix) {}

RecordFileError::RecordFileError(const QString& path, const QString& reason)
    : std::runtime_error(u"%1: %2"_s.arg(path, reason).toStdString()), path_(path), reason_(reason) {}

QString RecordFileError::message(QStringView intro, QStringView outro) const {
    return u"%1\n\nPercorso: %2\nMotivo: %3.\n\n%4"_s.arg(intro, path_, reason_, outro);
}

QString systemReason(int error) {
    return qt_error_string(error);
}

QString withDetail(QStringView reason, const QString& detail) {
    return u"%1 (%2)"_s.arg(reason, detail);
}

QString accountName(uid_t account) {
    const passwd* entry = ::getpwuid(account);
    return entry != nullptr ? QString::fromLocal8Bit(entry->pw_name) : QString::number(account);
}

QString groupName(gid_t group) {
    const GroupEntry* entry = ::getgrgid(group);
    return entry != nullptr ? QString::fromLocal8Bit(entry->gr_name) : QString::number(group);
}

} // namespace brivadoro
