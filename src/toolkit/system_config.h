#pragma once

#include <array>
#include <optional>

#include <QString>
#include <QStringList>
#include <QStringView>

namespace brivadoro {

// The system-wide configuration file under each of $XDG_CONFIG_DIRS (by default /etc/xdg).
inline constexpr QStringView kConfigFile = u"brivadoro/brivadoro.conf";
// Every key the configuration file knows; they stand at the top of the file or under [General].
inline constexpr QStringView kConfigRecordFolder = u"RecordFolder";
inline constexpr QStringView kConfigFullScreen = u"FullScreen";
inline constexpr QStringView kConfigSound = u"Sound";
inline constexpr QStringView kConfigDiary = u"Diary";
inline constexpr std::array<QStringView, 4> kConfigKeys{kConfigRecordFolder, kConfigFullScreen, kConfigSound,
                                                        kConfigDiary};

// A key's value and the configuration file it came from; both null when no file sets the key.
struct ConfigValue {
    QString value;
    QString file;
    // Why the file, which may have set the key, cannot be read: the search stops at such a file, since
    // the key it was meant to set is unknown.
    QString unreadable;
};

// The configuration files as the program found them at start, each opened and parsed once: every
// key's value with the file it came from, and every mistake. A key's value is that of the first file
// that sets it, by the base directory rules: the folders of $XDG_CONFIG_DIRS, most important first,
// relative ones ignored. The key stands at the top of the file or under [General]; an empty value
// sets nothing, and a comma inside an unquoted value is kept as written. A file that is there but
// cannot be read ends the search.
struct Configuration {
    ConfigValue recordFolder;
    // The yes-or-no keys: true, false (in any letter case), 1 or 0; none when no file sets the key
    // or its value is a mistake.
    std::optional<bool> fullScreen;
    std::optional<bool> sound;
    std::optional<bool> diary;
    QString diaryFile; // the file that sets Diary, if any
    // A line each for standard error: a file that is there but cannot be read, one that is no INI
    // file, a group or key that the game does not know (with the known key nearest to it), and a
    // yes-or-no key whose value is neither.
    QStringList mistakes;
};

Configuration readConfiguration();

} // namespace brivadoro
