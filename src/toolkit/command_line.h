#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QStringList>

namespace brivadoro {

// Whether QApplication has yet taken its own options, such as -platform, out of the arguments.
enum class QtOptions { NotYetRemoved, Removed };

// What the administrator's options ask of the records.
enum class RecordCommand { None, Show, Reset };

// What the program says to its command line, and the status it then ends with; no status means
// the game starts, unless the records are to be shown or reset first.
struct CommandLineAnswer {
    std::optional<int> exitStatus;
    QString standardOutput;
    QString errorOutput;
    RecordCommand recordCommand = RecordCommand::None;
    bool confirmed = false; // --yes: the reset asks no question
    // --fullscreen and --mute: each can only set its choice, over the configuration file.
    bool fullScreen = false;
    bool mute = false;
};

// How this game plays: the command line's choices, then the configuration file's FullScreen and
// Sound, then full screen off and sound on.
struct GameChoices {
    bool fullScreen = false;
    bool sound = true;
    QStringList mistakes; // a line each for the configuration's mistakes
};

// Asks the person at the terminal a question; true for yes.
using Confirmation = std::function<bool(const QString& question)>;

// The answers to --show-record and --reset-record, which the records below the toolkit supply: the
// record shown, or cleared once confirm says yes, and what was done.
struct RecordCommands {
    std::function<CommandLineAnswer()> show;
    std::function<CommandLineAnswer(const Confirmation& confirm)> reset;
};

// Reads the program's arguments, the program's name first. --help and --version are answered at
// once, --show-record and --reset-record ask for the records' command; any other option is refused
// with one line naming it, unless it may be one of Qt's, which waits until QApplication has removed
// Qt's own.
CommandLineAnswer readCommandLine(const QStringList& arguments, QtOptions qtOptions);

// Prints the answer on the standard streams, after the records' command when one is asked, and
// returns it. A reset asks on the terminal first, unless --yes answered; with no terminal to ask on,
// it changes nothing and ends with status 2.
CommandLineAnswer answerCommandLine(const QStringList& arguments, QtOptions qtOptions,
                                    const RecordCommands& records);

// Prints the question and reads the answer from standard input: s, sì or si says yes;
// anything else, or nothing, no.
bool askOnTerminal(const QString& question);

GameChoices readGameChoices(const CommandLineAnswer& answer);
// As readGameChoices, printing its mistakes on standard error, and after them the line that says why
// a class's records folder cannot hold the records, when it cannot.
GameChoices chooseGame(const CommandLineAnswer& answer, const QString& recordFolderMistake);

// The arguments main() received, decoded as the system encodes them.
QStringList argumentsOf(int argc, const char* const* argv);

} // namespace brivadoro
