#include "system_config.h"

#include <algorithm>
#include <cerrno>
#include <numeric>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSettings>
#include <QStringBuilder>

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kDefaultConfigDirs = u"/etc/xdg";
constexpr QStringView kNotASwitch =
    u"brivadoro: %1: %2=%3 non è un valore valido (true, false, 1 o 0); lo ignoro.";
constexpr QStringView kUnreadable =
    u"brivadoro: %1: il file di configurazione non si può leggere (%2): il gioco "
    u"non tiene il record finché non si potrà leggere.";
constexpr QStringView kNotIni = u"brivadoro: %1: il file non è nel formato INI (righe chiave=valore, sotto "
                                u"[General]).";
constexpr QStringView kUnknownKey = u"brivadoro: %1: chiave sconosciuta %2, che il gioco ignora: forse %3?";
constexpr QStringView kUnknownGroup =
    u"brivadoro: %1: gruppo sconosciuto [%2], che il gioco ignora: la chiave %3 "
    u"va in cima al file o sotto [General].";
constexpr QStringView kIsAFolder = u"è una cartella";

// What stat tells of a file, named without the elaborated "struct" that the formatter's versions lay
// out differently.
using FileInfo = struct ::stat;

// One configuration file that is there: the known keys it sets, or why it cannot be read.
struct ConfigFile {
    QString path;
    QString unreadable;
    QHash<QString, QString> values;
    QStringList mistakes;
};

// The number of one-letter changes that make one name the other, letter case aside.
qsizetype editDistance(QStringView from, QStringView to) {
    QList<qsizetype> row(to.size() + 1);
    std::iota(row.begin(), row.end(), 0);
    for (qsizetype i = 1; i <= from.size(); ++i) {
        qsizetype diagonal = std::exchange(row[0], i);
        for (qsizetype j = 1; j <= to.size(); ++j) {
            const bool same = from[i - 1].toCaseFolded() == to[j - 1].toCaseFolded();
            diagonal =
                std::exchange(row[j], std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)}));
        }
    }
    return row.back();
}

QStringView nearestKey(QStringView name) {
    return *std::ranges::min_element(kConfigKeys, {},
                                     [name](QStringView key) { return editDistance(name, key); });
}

// Why a file that is there cannot be read; empty when it can. Only a missing file is passed over:
// one that cannot be read, for whatever reason (its folder included), still counts.
std::optional<QString> whyUnreadable(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    FileInfo info{};
    if (::stat(name.constData(), &info) != 0)
        return errno == ENOENT ? std::nullopt : std::optional(qt_error_string(errno));
    if (S_ISDIR(info.st_mode))
        return kIsAFolder.toString();
    if (::access(name.constData(), R_OK) != 0)
        return qt_error_string(errno);
    return QString();
}

// Reads one file that is there, once: its known keys' values and its groups' and keys' mistakes.
ConfigFile readFile(const QString& path, const QString& unreadable) {
    ConfigFile file{path, unreadable, {}, {}};
    if (!unreadable.isEmpty()) {
        file.mistakes << kUnreadable.arg(path, unreadable);
        return file;
    }
    const QSettings settings(path, QSettings::IniFormat);
    const QStringList keys = settings.allKeys();
    if (settings.status() == QSettings::FormatError) {
        file.mistakes << kNotIni.arg(path);
        return file;
    }
    for (const QString& key : keys) {
        const QString name = key.section(u'/', -1);
        const QString group = key.section(u'/', 0, -2);
        const bool known =
            std::ranges::any_of(kConfigKeys, [&name](QStringView each) { return name == each; });
        if (!known)
            file.mistakes << kUnknownKey.arg(path, key, nearestKey(name));
        else if (!group.isEmpty())
            file.mistakes << kUnknownGroup.arg(path, group, name);
        else // an unquoted comma makes a list of the value; the value is the whole of it
            file.values.insert(name, settings.value(key).toStringList().join(u','));
    }
    return file;
}

// The files that are there, most important first.
QList<ConfigFile> readFiles() {
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = kDefaultConfigDirs.toString();
    QList<ConfigFile> files;
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        if (!QDir::isAbsolutePath(dir))
            continue;
        const QString path = dir % u'/' % kConfigFile;
        if (const std::optional<QString> unreadable = whyUnreadable(path))
            files.append(readFile(path, *unreadable));
    }
    return files;
}

ConfigValue firstSetting(const QList<ConfigFile>& files, QStringView key) {
    for (const ConfigFile& file : files) {
        if (!file.unreadable.isEmpty())
            return {{}, file.path, file.unreadable};
        if (const QString value = file.values.value(key.toString()); !value.isEmpty())
            return {value, file.path, {}};
    }
    return {};
}

// QVariant's own conversion reads "off" and "no" as true: only the four spellings count here.
std::optional<bool> switchValue(const ConfigValue& set, QStringView key, QStringList& mistakes) {
    if (set.value.isNull())
        return std::nullopt;
    if (set.value == u"1" || set.value.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (set.value == u"0" || set.value.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    mistakes << kNotASwitch.arg(set.file, key, set.value);
    return std::nullopt;
}

} // namespace

Configuration readConfiguration() {
    const QList<ConfigFile> files = readFiles();
    Configuration config;
    for (const ConfigFile& file : files)
        config.mistakes << file.mistakes;
    config.recordFolder = firstSetting(files, kConfigRecordFolder);
    config.fullScreen =
        switchValue(firstSetting(files, kConfigFullScreen), kConfigFullScreen, config.mistakes);
    config.sound = switchValue(firstSetting(files, kConfigSound), kConfigSound, config.mistakes);
    const ConfigValue diary = firstSetting(files, kConfigDiary);
    config.diary = switchValue(diary, kConfigDiary, config.mistakes);
    config.diaryFile = diary.file;
    return config;
}

} // namespace brivadoro
