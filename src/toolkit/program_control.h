#pragma once

namespace brivadoro {

// The program's exit statuses: a game that ends by its own command or the close box, or a command
// line answered; a game stopped by an error; a command line the program does not understand.
namespace ExitStatus {
inline constexpr int Normal = 0;
inline constexpr int Failure = 1;
inline constexpr int Usage = 2;
} // namespace ExitStatus

// Ends the program. The real one never returns: no handler that the end interrupted resumes.
class ProgramControl {
public:
    virtual ~ProgramControl() = default;
    virtual void endProgram(int status) = 0;
};

// Ends the process on the spot after flushing the standard streams. Record files are committed
// before it is called, and nothing else of the game needs closing.
class ProcessControl final : public ProgramControl {
public:
    [[noreturn]] void endProgram(int status) override;
};

} // namespace brivadoro
