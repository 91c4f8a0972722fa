#pragma once

#include <functional>
#include <optional>

#include <QDate>
#include <QString>
#include <QStringList>

#include "system_config.h"

namespace brivadoro {

// Whether QApplication has yet taken its own options, such as -platform, out of the arguments.
enum class QtOptions { NotYetRemoved, Removed };

// What the administrator's options ask of the records.
enum class RecordCommand { None, Show, Reset, Report };

// What --report is asked for: the games from a day on, or all; the text on standard output, or a
// file: every game in a CSV file, or the printable report in a PDF file; and whether the PDF is then
// opened in the desktop's viewer.
struct ReportRequest {
    QDate since;    // null for every game
    QString output; // empty for the text, or for --open's own file; a name ending in .csv or .pdf
    bool open = false;
};

// What the program says to its command line, and the status it then ends with; no status means
// the game starts, unless the records are to be shown or reset first.
struct CommandLineAnswer {
    std::optional<int> exitStatus;
    QString standardOutput;
    QString errorOutput;
    RecordCommand recordCommand = RecordCommand::None;
    bool confirmed = false; // --yes: the reset asks no question
    ReportRequest report{}; // --since, --output and --open, with --report
    // --fullscreen or --window, --mute or --sound: each wins over the configuration file, either way;
    // none when the command line says nothing.
    std::optional<bool> fullScreen = std::nullopt;
    std::optional<bool> sound = std::nullopt;
};

// Everything the program takes from its world at start, read once and handed to the game and to the
// records' commands: the command line's choices over the configuration file's, over the defaults
// (a window, with sound), the configuration as read, and BRIVADORO_RECORD_DIR as it was set.
struct Settings {
    bool fullScreen = false;
    bool sound = true;
    bool diary = true; // Diary: whether each finished game is kept in the records folder's diary
    Configuration config;
    QString recordDirVariable; // empty when unset
    QString dataHome;          // the player's data folder by the base directory rules; empty for none
};

// Asks the person at the terminal a question; true for yes.
using Confirmation = std::function<bool(const QString& question)>;

// The answers to --show-record and --reset-record, which the records below the toolkit supply: the
// record shown, or cleared once confirm says yes, and what was done.
struct RecordCommands {
    std::function<CommandLineAnswer(const Settings& settings)> show;
    std::function<CommandLineAnswer(const Settings& settings, const Confirmation& confirm)> reset;
    std::function<CommandLineAnswer(const Settings& settings, const ReportRequest& request)> report;
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

// Prints the question on the terminal, where it is seen even when standard output goes to a file (or
// on standard error when there is no terminal), and reads the answer from standard input: s, sì or si
// says yes; anything else, or nothing, no.
bool askOnTerminal(const QString& question);

// Reads the configuration files, BRIVADORO_RECORD_DIR and the player's data folder, once, under the
// command line's choices.
Settings readSettings(const CommandLineAnswer& answer = {});

// Prints lines on standard error, a line each.
void printErrorLines(const QStringList& lines);

// The arguments main() received, decoded as the system encodes them.
QStringList argumentsOf(int argc, const char* const* argv);

} // namespace brivadoro
