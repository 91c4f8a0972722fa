#include "system_config.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringBuilder>

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kDefaultConfigDirs = u"/etc/xdg";
constexpr QStringView kNotASwitch =
    u"brivadoro: %1: %2=%3 non è un valore valido (true, false, 1 o 0); lo ignoro.";

} // namespace

ConfigValue configValue(QStringView key) {
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = kDefaultConfigDirs.toString();
    for (const QString& dir : dirs.split(u':', Qt::SkipEmptyParts)) {
        const QString file = dir % u'/' % kConfigFile;
        if (!QDir::isAbsolutePath(dir) || !QFileInfo(file).isFile())
            continue;
        const QSettings settings(file, QSettings::IniFormat);
        // An unquoted comma makes a list of the value; the value is the whole of it.
        QString value = settings.value(key.toString()).toStringList().join(u',');
        if (!value.isEmpty())
            return {value, file};
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

} // namespace brivadoro
