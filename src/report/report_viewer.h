#pragma once

#include <QDateTime>
#include <QString>

namespace brivadoro {

// Where --open writes its PDF, or why there is no such place.
struct PrivateReportFile {
    QString path; // empty when there is no private folder for it
    QString problem;
};

// A file in $XDG_RUNTIME_DIR/brivadoro/, named for the moment, such as diario-2026-12-10-154012.pdf:
// a folder of the user's own that no other account may enter, made when missing; never a shared
// temporary folder. No place when XDG_RUNTIME_DIR is unset, or it or brivadoro/ in it is not a real
// folder of this account's closed to the others.
PrivateReportFile privateReportFile(const QDateTime& moment);

// Hands the file to the desktop's viewer through xdg-open, which goes on alone; false when xdg-open
// could not be started.
bool openInViewer(const QString& path);

} // namespace brivadoro
