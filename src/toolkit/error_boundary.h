#pragma once

#include <exception>

#include <QString>

namespace brivadoro {

class Dialogs;
class ProgramControl;

// Where every handler meets Qt's event loop: an error that escapes a handler is shown once, naming
// the error, and the program ends with a non-zero status. No exception crosses into Qt.
class ErrorBoundary {
public:
    ErrorBoundary(Dialogs& dialogs, ProgramControl& program) : dialogs_(dialogs), program_(program) {}

    template <typename Handler> void run(Handler&& handler) noexcept {
        try {
            handler();
        } catch (const std::exception& error) {
            fail(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            fail({});
        }
    }

    // The text of the box that reports an error.
    static QString reportText(const QString& what);

private:
    void fail(const QString& what) noexcept;

    Dialogs& dialogs_;
    ProgramControl& program_;
    bool failing_ = false;
};

} // namespace brivadoro
