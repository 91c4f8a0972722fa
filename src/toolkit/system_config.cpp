#include "system_config.h"

#include <algorithm>
#include <cerrno>
#include <numeric>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// A configuration file that is there, and why it cannot be read, if it cannot.
struct ConfigFile {
    QString path;
    QString unreadable;
};

// The configuration files that are there, most important first. Only a missing file is passed over:
// one that cannot be read, for whatever reason (its folder included), still counts.
QList<ConfigFile> configFiles() {
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = kDefaultConfigDirs.toString();
    QList<ConfigFile> files;
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        if (!QDir::isAbsolutePath(dir))
            continue;
        const QString path = dir % u'/' % kConfigFile;
        const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (handle < 0) {
            if (errno != ENOENT)
                files.append({path, qt_error_string(errno)});
            continue;
        }
        ::close(handle);
        const bool folder = QFileInfo(path).isDir();
        files.append({path, folder ? kIsAFolder.toString() : QString()});
    }
    return files;
}

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

// The mistakes of one readable file's groups and keys.
QStringList keyMistakes(const QString& path) {
    QSettings settings(path, QSettings::IniFormat);
    const QStringList keys = settings.allKeys();
    if (settings.status() == QSettings::FormatError)
        return {kNotIni.arg(path)};
    QStringList mistakes;
    for (const QString& key : keys) {
        const QString name = key.section(u'/', -1);
        const QString group = key.section(u'/', 0, -2);
        const bool known = std::ranges::any_of(kConfigKeys, [&name](QStringView key) { return name == key; });
        if (!known)
            mistakes << kUnknownKey.arg(path, key, nearestKey(name));
        else if (!group.isEmpty())
            mistakes << kUnknownGroup.arg(path, group, name);
    }
    return mistakes;
}

} // namespace

ConfigValue configValue(QStringView key) {
    for (const ConfigFile& file : configFiles()) {
        if (!file.unreadable.isEmpty())
            return {{}, file.path, file.unreadable};
        const QSettings settings(file.path, QSettings::IniFormat);
        // An unquoted comma makes a list of the value; the value is the whole of it.
        QString value = settings.value(key.toString()).toStringList().join(u',');
        if (!value.isEmpty())
            return {value, file.path, {}};
    }
    return {};
}

// QVariant's own conversion reads "off" and "no" as true: only the four spellings count here.
ConfigSwitch configSwitch(QStringView key) {
    const ConfigValue set = configValue(key);
    if (set.value.isNull())
        return {};
    if (set.value == u"1" || set.value.compare(u"true", Qt::CaseInsensitive) == 0)
        return {true, {}};
    if (set.value == u"0" || set.value.compare(u"false", Qt::CaseInsensitive) == 0)
        return {false, {}};
    return {std::nullopt, kNotASwitch.arg(set.file, key, set.value)};
}

QStringList configMistakes() {
    QStringList mistakes;
    for (const ConfigFile& file : configFiles())
        mistakes << (file.unreadable.isEmpty() ? keyMistakes(file.path)
                                               : QStringList{kUnreadable.arg(file.path, file.unreadable)});
    for (const QStringView key : {u"FullScreen", u"Sound"}) {
        if (const QString mistake = configSwitch(key).mistake; !mistake.isEmpty())
            mistakes << mistake;
    }
    return mistakes;
}

} // namespace brivadoro
