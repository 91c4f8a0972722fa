#include "report_csv.h"

#include <array>

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QByteArrayView kByteOrderMark = "\xEF\xBB\xBF";
constexpr QByteArrayView kHeader = "Data e ora;Account;Nome;Punteggio;Centri;Errori;Fine\r\n";
constexpr QByteArrayView kRowEnd = "\r\n";
constexpr char kSeparator = ';';
constexpr QStringView kTime = u"tempo";
constexpr QStringView kExit = u"uscita";
// What makes a spreadsheet read a cell as a formula, the full-width forms included, which some
// versions of Excel take for the plain ones.
constexpr std::array<char16_t, 10> kFormulaStarts{u'=',  u'+',  u'-',  u'@',  u'\t',
                                                  u'\r', u'＝', u'＋', u'－', u'＠'};
constexpr QChar kTextMark = u'\'';

bool isNumber(QStringView text) {
    // A sign, digits, and a fraction after a point or a comma: what stays a number, harmless.
    qsizetype at = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
    const qsizetype digitsFrom = at;
    while (at < text.size() && text[at].isDigit() && text[at].unicode() < 0x80)
        ++at;
    if (at == digitsFrom)
        return false;
    if (at == text.size())
        return true;
    if (text[at] != u'.' && text[at] != u',')
        return false;
    const qsizetype fractionFrom = ++at;
    while (at < text.size() && text[at].isDigit() && text[at].unicode() < 0x80)
        ++at;
    return at == text.size() && at > fractionFrom;
}

bool startsFormula(QStringView text) {
    return !text.isEmpty() &&
           std::ranges::find(kFormulaStarts, text.front().unicode()) != kFormulaStarts.end() &&
           !isNumber(text);
}

} // namespace

QByteArray csvCell(QStringView text) {
    QString cell = text.toString();
    if (startsFormula(text))
        cell.prepend(kTextMark);
    const bool quoted =
        cell.contains(u';') || cell.contains(u'"') || cell.contains(u'\r') || cell.contains(u'\n');
    if (!quoted)
        return cell.toUtf8();
    cell.replace(u'"', u"\"\""_s);
    return '"' + cell.toUtf8() + '"';
}

QByteArray csvRow(const DiaryEntry& entry, const QString& account) {
    // 2026-12-10T12:50:39+01:00 as 2026-12-10 12:50:39, the local time the game ended at.
    const QString moment = entry.ended.first(10) + u' ' + entry.ended.sliced(11, 8);
    QByteArray row;
    for (const QString& field :
         {moment, account, entry.name, QString::number(entry.score), QString::number(entry.hits),
          QString::number(entry.misses), (entry.end == GameEnd::Time ? kTime : kExit).toString()}) {
        if (!row.isEmpty())
            row += kSeparator;
        row += csvCell(field);
    }
    return row.append(kRowEnd);
}

QString CsvReport::open() {
    if (!file_.open(QIODevice::WriteOnly))
        return file_.errorString();
    file_.write(kByteOrderMark.data(), kByteOrderMark.size());
    file_.write(kHeader.data(), kHeader.size());
    return {};
}

void CsvReport::add(const DiaryEntry& entry, const QString& account) {
    file_.write(csvRow(entry, account));
    ++rows_;
}

QString CsvReport::commit() {
    return file_.commit() ? QString() : file_.errorString();
}

} // namespace brivadoro
