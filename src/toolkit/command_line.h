#pragma once

#include <optional>

#include <QString>
#include <QStringList>

namespace brivadoro {

// Whether QApplication has yet taken its own options, such as -platform, out of the arguments.
enum class QtOptions { NotYetRemoved, Removed };

// What the program says to its command line, and the status it then ends with; no status means
// the game starts.
struct CommandLineAnswer {
    std::optional<int> exitStatus;
    QString standardOutput;
    QString errorOutput;
};

// Reads the program's arguments, the program's name first. --help and --version are answered at
// once; any other option is refused with one line naming it, unless it may be one of Qt's, which
// waits until QApplication has removed Qt's own.
CommandLineAnswer readCommandLine(const QStringList& arguments, QtOptions qtOptions);

// Prints the answer on the standard streams and returns its status.
std::optional<int> answerCommandLine(const QStringList& arguments, QtOptions qtOptions);

// The arguments main() received, decoded as the system encodes them.
QStringList argumentsOf(int argc, const char* const* argv);

} // namespace brivadoro
