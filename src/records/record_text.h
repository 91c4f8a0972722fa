#pragma once

#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace brivadoro {

// A record file's bytes as text: UTF-8 when they are valid UTF-8, otherwise Windows-1252. When
// cutShort, the bytes end where a reading limit stopped, and a UTF-8 sequence cut there is dropped.
QString decodeRecordText(QByteArrayView bytes, bool cutShort = false);

// A record line as stored: the text in UTF-8 followed by CR LF.
QByteArray encodeRecordLine(const QString& text);

// A record text as an administrator's terminal may show it: without its line end, and with every
// control or format character that a pupil may have typed (a line feed, an escape sequence, a
// right-to-left override) and the backslash written as an escape, \n, \r, \t, \\ or \u{XXXX}.
QString visibleText(QStringView text);

// The number at the start of text: blanks, tabs and line feeds are skipped wherever they stand,
// then an optional sign, digits and an optional "." with a fraction; reading stops at the first
// other character. No number gives 0; never fails.
double recordValue(QStringView text);

// The whole text as a number, surrounding blanks allowed; nothing when it is not a finite number.
std::optional<double> scoreValue(QStringView text);

// The record test of the end of game: whether the score label's text beats the record as start-up
// read it. A score that is no number beats nothing; an equal score is no new record.
bool beatsRecord(QStringView recordText, QStringView scoreText);

} // namespace brivadoro
