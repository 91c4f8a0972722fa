#pragma once

#include <optional>

#include <QString>
#include <QStringView>

namespace brivadoro {

// The system-wide configuration file under each of $XDG_CONFIG_DIRS (by default /etc/xdg).
inline constexpr QStringView kConfigFile = u"brivadoro/brivadoro.conf";

// A key's value and the configuration file it came from; both null when no file sets the key.
struct ConfigValue {
    QString value;
    QString file;
};

// The value of key in the first configuration file that sets it, by the base directory rules: the
// folders of $XDG_CONFIG_DIRS, most important first, relative ones ignored. The key stands at the
// top of the file or under [General]; an empty value sets nothing, and a comma inside an unquoted
// value is kept as written.
ConfigValue configValue(QStringView key);

// A yes-or-no key: true, false (in any letter case), 1 or 0.
struct ConfigSwitch {
    std::optional<bool> value; // none when no file sets the key or its value is a mistake
    QString mistake;           // one line naming the file, the key and its value, for standard error
};

ConfigSwitch configSwitch(QStringView key);

} // namespace brivadoro
