#include "report_viewer.h"

#include <cerrno>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "records/file_handle.h"
#include "records/record_paths.h"
#include "records/record_text.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr const char* kRuntimeVariable = "XDG_RUNTIME_DIR";
constexpr QStringView kSubfolder = u"/brivadoro";
constexpr QStringView kFileName = u"'diario-'yyyy-MM-dd-HHmmss'.pdf'";
constexpr mode_t kPrivate = 0700;
constexpr mode_t kOthersBits = 077;
constexpr QStringView kUnset = u"XDG_RUNTIME_DIR non è impostata";
constexpr QStringView kRelative = u"XDG_RUNTIME_DIR non è un percorso assoluto: %1";
constexpr QStringView kUnseen = u"%1: %2";
constexpr QStringView kNoFolder = u"%1 non è una cartella";
constexpr QStringView kNotOwn = u"%1 non è una cartella di questo utente";
constexpr QStringView kOpenToOthers = u"%1 è aperta ad altri utenti";

// Why the folder is no private folder of this account's; empty when it is one.
QString privacyProblem(const QString& folder) {
    const std::optional<FileStatus> status = linkStatus(folder);
    if (!status)
        return kUnseen.arg(visibleText(folder), systemReason(errno));
    if (!S_ISDIR(status->st_mode))
        return kNoFolder.arg(visibleText(folder));
    if (status->st_uid != ::geteuid())
        return kNotOwn.arg(visibleText(folder));
    if ((status->st_mode & kOthersBits) != 0)
        return kOpenToOthers.arg(visibleText(folder));
    return {};
}

} // namespace

PrivateReportFile privateReportFile(const QDateTime& moment) {
    if (!qEnvironmentVariableIsSet(kRuntimeVariable))
        return {{}, kUnset.toString()};
    const QString runtime = qEnvironmentVariable(kRuntimeVariable);
    if (!QDir::isAbsolutePath(runtime))
        return {{}, kRelative.arg(visibleText(runtime))};
    if (QString problem = privacyProblem(runtime); !problem.isEmpty())
        return {{}, problem};
    const QString folder = runtime + kSubfolder.toString();
    const QByteArray encoded = QFile::encodeName(folder);
    if (::mkdir(encoded.constData(), kPrivate) != 0 && errno != EEXIST)
        return {{}, kUnseen.arg(visibleText(folder), systemReason(errno))};
    // A folder of this account's that a wide umask opened is closed again.
    if (const std::optional<FileStatus> status = linkStatus(folder);
        status && S_ISDIR(status->st_mode) && status->st_uid == ::geteuid())
        ::chmod(encoded.constData(), kPrivate);
    if (QString problem = privacyProblem(folder); !problem.isEmpty())
        return {{}, problem};
    return {folder + u'/' + moment.toString(kFileName), {}};
}

bool openInViewer(const QString& path) {
    return QProcess::startDetached(u"xdg-open"_s, {path});
}

} // namespace brivadoro
