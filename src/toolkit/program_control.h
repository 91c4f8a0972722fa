#pragma once

namespace brivadoro {

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
