#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// Reading back what the report wrote: files, and PDFs through poppler's tools.
namespace brivadoro::testing {

using namespace Qt::StringLiterals;

// What the poppler tool prints for the arguments; its complaint when it fails.
inline QString poppler(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60'000) || process.exitCode() != 0)
        return u"%1 failed: %2"_s.arg(tool, QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The PDF's text, or that of the pages the arguments pick, its lines joined by single blanks.
inline QString pdfText(const QString& path, QStringList arguments) {
    return poppler(u"pdftotext"_s, arguments << path << u"-"_s).simplified();
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace brivadoro::testing
