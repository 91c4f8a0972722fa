#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QStringList>

namespace brivadoro {

// Whether QApplication has yet taken its own options, such as -platform, out of the arguments.
enum class QtOptions { NotYetRemoved, Removed };

// What the program says to its command line, and the status it then ends with; no status means
// the game starts, unless the record is to be reset first.
struct CommandLineAnswer {
    std::optional<int> exitStatus;
    QString standardOutput;
    QString errorOutput;
    bool resetRecord = false;
    // --fullscreen and --mute: each can only set its choice, over the configuration file.
    bool fullScreen = false;
    bool mute = false;
};

// How this game plays: the command line's choices, then the configuration file's FullScreen and
// Sound, then full screen off and sound on.
struct GameChoices {
    bool fullScreen = false;
    bool sound = true;
    QStringList mistakes; // a line each for the configuration values that are no yes or no
};

// Clears the record and says what it did; the records below the toolkit supply it.
using RecordReset = std::function<CommandLineAnswer()>;

// Reads the program's arguments, the program's name first. --help and --version are answered at
// once, --reset-record asks for the record's reset; any other option is refused with one line naming it,
// unless it may be one of Qt's, which waits until QApplication has removed Qt's own.
CommandLineAnswer readCommandLine(const QStringList& arguments, QtOptions qtOptions);

// Prints the answer on the standard streams, after resetting the record when asked, and returns it.
CommandLineAnswer answerCommandLine(const QStringList& arguments, QtOptions qtOptions,
                                    const RecordReset& resetRecord);

GameChoices readGameChoices(const CommandLineAnswer& answer);
// As readGameChoices, printing its mistakes on standard error.
GameChoices chooseGame(const CommandLineAnswer& answer);

// The arguments main() received, decoded as the system encodes them.
QStringList argumentsOf(int argc, const char* const* argv);

} // namespace brivadoro
