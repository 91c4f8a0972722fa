#include "diary_line.h"

#include <array>
#include <charconv>
#include <cstdlib>

#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QByteArrayView kTime = "tempo";
constexpr QByteArrayView kExit = "uscita";
constexpr qsizetype kFields = 7;
constexpr QByteArrayView kWhole = ".";
constexpr int kSecondsPerMinute = 60;
constexpr int kMinutesPerHour = 60;
// 2026-12-10T12:50:39+01:00
constexpr QByteArrayView kTimeShape = "dddd-dd-ddTdd:dd:dd+dd:dd";

std::optional<int> number(QByteArrayView field) {
    int value = 0;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    if (field.isEmpty() || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

bool isTime(QByteArrayView field) {
    if (field.size() != kTimeShape.size())
        return false;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char shape = kTimeShape[i];
        const char c = field[i];
        const bool fits = shape == 'd'   ? (c >= '0' && c <= '9')
                          : shape == '+' ? (c == '+' || c == '-')
                                         : c == shape;
        if (!fits)
            return false;
    }
    return true;
}

QString unescaped(const QString& name) {
    QString text;
    text.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] != u'\\' || i + 1 == name.size()) {
            text += name[i];
            continue;
        }
        const QChar next = name[++i];
        text += next == u't'   ? QChar(u'\t')
                : next == u'n' ? QChar(u'\n')
                : next == u'r' ? QChar(u'\r')
                               : next;
    }
    return text;
}

} // namespace

QString diaryTime(const QDateTime& moment) {
    const int offset = moment.offsetFromUtc() / kSecondsPerMinute;
    const int hours = std::abs(offset) / kMinutesPerHour;
    const int minutes = std::abs(offset) % kMinutesPerHour;
    return moment.toString(u"yyyy-MM-ddTHH:mm:ss"_s) + (offset < 0 ? u'-' : u'+') +
           u"%1:%2"_s.arg(hours, 2, 10, QChar(u'0')).arg(minutes, 2, 10, QChar(u'0'));
}

QByteArray encodeDiaryLine(const DiaryEntry& entry) {
    QString name;
    for (const QChar c : entry.name) {
        if (c == u'\\')
            name += u"\\\\"_s;
        else if (c == u'\t')
            name += u"\\t"_s;
        else if (c == u'\n')
            name += u"\\n"_s;
        else if (c == u'\r')
            name += u"\\r"_s;
        else
            name += c;
    }
    return entry.ended.toUtf8() + '\t' + QByteArray::number(entry.score) + '\t' +
           QByteArray::number(entry.hits) + '\t' + QByteArray::number(entry.misses) + '\t' +
           (entry.end == GameEnd::Time ? kTime : kExit).toByteArray() + '\t' + name.toUtf8() + '\t' +
           kWhole.toByteArray() + '\n';
}

std::optional<DiaryEntry> decodeDiaryLine(QByteArrayView line) {
    if (line.startsWith('#'))
        return std::nullopt;
    std::array<QByteArrayView, kFields> fields{};
    qsizetype at = 0;
    for (qsizetype field = 0; field < kFields - 1; ++field) {
        const qsizetype tab = line.indexOf('\t', at);
        if (tab < 0)
            return std::nullopt;
        fields[field] = line.sliced(at, tab - at);
        at = tab + 1;
    }
    fields[kFields - 1] = line.sliced(at);
    const std::optional<int> score = number(fields[1]);
    const std::optional<int> hits = number(fields[2]);
    const std::optional<int> misses = number(fields[3]);
    const bool time = fields[4] == kTime;
    if (fields[6] != kWhole || !isTime(fields[0]) || !score || !hits || !misses || *hits < 0 || *misses < 0 ||
        (!time && fields[4] != kExit))
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8(fields[5]);
    if (utf8.hasError())
        return std::nullopt;
    return DiaryEntry{QString::fromLatin1(fields[0]),      unescaped(name), *score, *hits, *misses,
                      time ? GameEnd::Time : GameEnd::Exit};
}

} // namespace brivadoro
