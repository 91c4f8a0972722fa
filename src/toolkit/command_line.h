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
};

// Clears the record and says what it did; the records below the toolkit supply it.
using RecordReset = std::function<CommandLineAnswer()>;

// Reads the program's arguments, the program's name first. --help and --version are answered at
// once, --reset-record asks for the record's reset; any other option is refused with one line naming it,
// unless it may be one of Qt's, which waits until QApplication has removed Qt's own.
CommandLineAnswer readCommandLine(const QStringList& arguments, QtOptions qtOptions);

// Prints the answer on the standard streams, after resetting the record when asked, and returns its
// status.
std::optional<int> answerCommandLine(const QStringList& arguments, QtOptions qtOptions,
                                     const RecordReset& resetRecord);

// The arguments main() received, decoded as the system encodes them.
QStringList argumentsOf(int argc, const char* const* argv);

} // namespace brivadoro
