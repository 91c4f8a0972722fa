#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringView>

#include "diary/diary_line.h"

namespace brivadoro {

// One cell of the CSV file, as LibreOffice Calc and Excel read it under an Italian locale: quoted
// when it holds ";", a quote, CR or LF, its quotes doubled; and when it would start a formula (=, +,
// -, @, a tab or CR first) and is no number, opened with "'" so that it stays text.
QByteArray csvCell(QStringView text);

// One game as a row of the CSV file, its CR LF included: date and time, account, name, score, hits,
// misses and end.
QByteArray csvRow(const DiaryEntry& entry, const QString& account);

// The CSV file of every game: a UTF-8 byte-order mark and a header row, then a row a game. Nothing
// is at the file's name until commit succeeds, and then all of it is.
class CsvReport {
public:
    explicit CsvReport(const QString& path) : file_(path) {}

    // Why the file cannot be written; empty when it is open.
    [[nodiscard]] QString open();
    void add(const DiaryEntry& entry, const QString& account);
    // Why the file could not be written; empty when it stands whole under its name.
    [[nodiscard]] QString commit();
    void cancel() { file_.cancelWriting(); }

    [[nodiscard]] qsizetype rows() const { return rows_; }

private:
    QSaveFile file_;
    qsizetype rows_ = 0;
};

} // namespace brivadoro
