#include "error_boundary.h"

#include "dialogs.h"
#include "program_control.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {
constexpr QStringView kReportIntro = u"Si è verificato un errore e Brivadoro deve chiudersi.";
constexpr QStringView kUnknownError = u"errore sconosciuto";
} // namespace

QString ErrorBoundary::reportText(const QString& what) {
    return u"%1\n\n%2"_s.arg(kReportIntro, what.isEmpty() ? kUnknownError : QStringView(what));
}

void ErrorBoundary::fail(const QString& what) noexcept {
    // A second error while the report is open (a timer keeps ticking) ends the program at once.
    if (!failing_) {
        failing_ = true;
        try {
            dialogs_.messageBox(reportText(what), MessageStyle::IconCritical);
        } catch (...) { // NOLINT(bugprone-empty-catch): a report that fails must not stop the exit
        }
    }
    try {
        program_.endProgram(ExitStatus::Failure);
    } catch (...) { // NOLINT(bugprone-empty-catch): nothing is left to do when even the exit fails
    }
}

} // namespace brivadoro
