#include "record_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include <QLocale>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

// Windows-1252 from 0x80 to 0x9F; the five unassigned bytes keep their own code, as Windows does.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
constexpr unsigned char kFirstHigh = 0x80;
constexpr unsigned char kLastHigh = 0x9F;

QString fromWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        *out++ = (code >= kFirstHigh && code <= kLastHigh) ? QChar(kWindows1252High[code - kFirstHigh])
                                                           : QChar(code);
    }
    return text;
}

// The length of the UTF-8 sequence that lead begins; 0 for a continuation byte.
int utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead < 0xC0)
        return 0;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}

// Drops a multi-byte sequence that the end of bytes cuts short.
QByteArrayView withoutCutSequence(QByteArrayView bytes) {
    constexpr qsizetype kLongestSequence = 4;
    for (qsizetype back = 1; back <= std::min(kLongestSequence, bytes.size()); ++back) {
        const int length = utf8SequenceLength(static_cast<unsigned char>(bytes[bytes.size() - back]));
        if (length == 0)
            continue;
        return length > back ? bytes.first(bytes.size() - back) : bytes;
    }
    return bytes;
}

bool isSkippedInNumber(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

QString decodeRecordText(QByteArrayView bytes, bool cutShort) {
    if (cutShort)
        bytes = withoutCutSequence(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : text;
}

QByteArray encodeRecordLine(const QString& text) {
    return text.toUtf8() + "\r\n";
}

double recordValue(QStringView text) {
    QString number;
    bool signAllowed = true;
    bool pointAllowed = true;
    for (const QChar c : text) {
        if (isSkippedInNumber(c))
            continue;
        // A sign only leads; after a sign or a digit, none may follow.
        if ((signAllowed && (c == u'+' || c == u'-')) || isDigit(c)) {
            signAllowed = false;
        } else if (pointAllowed && c == u'.') {
            signAllowed = false;
            pointAllowed = false;
        } else {
            break;
        }
        number += c;
    }
    if (!std::any_of(number.cbegin(), number.cend(), isDigit))
        return 0;
    bool ok = false;
    const double value = QLocale::c().toDouble(number, &ok);
    // A number too large for a double stays infinite: no score can beat it.
    return ok || std::isinf(value) ? value : 0;
}

std::optional<double> scoreValue(QStringView text) {
    const QStringView trimmed = text.trimmed();
    bool ok = false;
    double value = QLocale::system().toDouble(trimmed, &ok);
    if (!ok)
        value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool beatsRecord(QStringView recordText, QStringView scoreText) {
    const std::optional<double> score = scoreValue(scoreText);
    return score && recordValue(recordText) < *score;
}

QString visibleText(QStringView text) {
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    QString shown;
    for (const QChar c : text) {
        if (c == u'\\')
            shown += u"\\\\"_s;
        else if (c == u'\n')
            shown += u"\\n"_s;
        else if (c == u'\r')
            shown += u"\\r"_s;
        else if (c == u'\t')
            shown += u"\\t"_s;
        else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            shown += u"\\u{"_s + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0') + u'}';
        else
            shown += c;
    }
    return shown;
}

} // namespace brivadoro
