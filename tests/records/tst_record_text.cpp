#include <cmath>
#include <limits>

#include <QTest>

#include "records/record_text.h"
#include "support/test_main.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;

class RecordTextTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testing::configureTestApplication(); }

    void recordValueReadsTheNumberAtTheStart_data();
    void recordValueReadsTheNumberAtTheStart();
    void scoreValueConvertsTheWholeText_data();
    void scoreValueConvertsTheWholeText();
    void decodingFallsBackToWindows1252OnlyForInvalidUtf8_data();
    void decodingFallsBackToWindows1252OnlyForInvalidUtf8();
    void visibleTextNeverSteersATerminal_data();
    void visibleTextNeverSteersATerminal();
};

void RecordTextTest::recordValueReadsTheNumberAtTheStart_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("empty") << u""_s << 0.0;
    QTest::newRow("blank, 12, line end") << u" 12\r\n"_s << 12.0;
    QTest::newRow("12, line end") << u"12\r\n"_s << 12.0;
    QTest::newRow("negative") << u" -3\r\n"_s << -3.0;
    QTest::newRow("blank inside the digits") << u"1 2"_s << 12.0;
    QTest::newRow("no number") << u"abc"_s << 0.0;
    QTest::newRow("fraction, then other text") << u"3.5x"_s << 3.5;
    QTest::newRow("tabs and line feeds anywhere") << u"\t\n1\t2\n3\n"_s << 123.0;
    QTest::newRow("blank after the sign") << u"- 4"_s << -4.0;
    QTest::newRow("plus sign") << u"+5"_s << 5.0;
    QTest::newRow("fraction only") << u".5"_s << 0.5;
    QTest::newRow("second point stops") << u"1.2.3"_s << 1.2;
    QTest::newRow("second sign stops") << u"--3"_s << 0.0;
    QTest::newRow("sign alone") << u"-"_s << 0.0;
    QTest::newRow("carriage return is not skipped") << u"\r12"_s << 0.0;
    QTest::newRow("comma stops whatever the locale") << u"1,5"_s << 1.0;
    QTest::newRow("only ASCII digits count") << u"\u0661\u0662"_s << 0.0;
    QTest::newRow("too large for a double") << QString(400, u'9') << std::numeric_limits<double>::infinity();
}

void RecordTextTest::recordValueReadsTheNumberAtTheStart() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(recordValue(text), value);
}

void RecordTextTest::scoreValueConvertsTheWholeText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("after a hit") << u" 15"_s << true << 15.0;
    QTest::newRow("after a miss") << u"15"_s << true << 15.0;
    QTest::newRow("negative") << u"-4"_s << true << -4.0;
    QTest::newRow("surrounding blanks") << u"  7  "_s << true << 7.0;
    QTest::newRow("empty") << u""_s << false << 0.0;
    QTest::newRow("letters") << u"abc"_s << false << 0.0;
    QTest::newRow("number then letters") << u"3.5x"_s << false << 0.0;
    QTest::newRow("blank inside") << u"1 2"_s << false << 0.0;
    QTest::newRow("infinity") << u"inf"_s << false << 0.0;
    QTest::newRow("not a number") << u"nan"_s << false << 0.0;
}

void RecordTextTest::scoreValueConvertsTheWholeText() {
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const std::optional<double> converted = scoreValue(text);
    QCOMPARE(converted.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(converted.value_or(qQNaN()), value);
}

void RecordTextTest::decodingFallsBackToWindows1252OnlyForInvalidUtf8_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("cutShort");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << false << u""_s;
    QTest::newRow("UTF-8 name") << QByteArray("Zo\xC3\xAB\r\n") << false << u"Zoë\r\n"_s;
    QTest::newRow("UTF-8 beyond Latin-1") << QByteArray("\xC5\x81ukasz") << false << u"Łukasz"_s;
    QTest::newRow("Windows-1252 name") << QByteArray("Niccol\xF2\r\n") << false << u"Niccolò\r\n"_s;
    QTest::newRow("Windows-1252 lead byte at the very end")
        << QByteArray("Niccol\xF2") << false << u"Niccolò"_s;
    QTest::newRow("Windows-1252 euro and quotes")
        << QByteArray("\x80 \x93x\x94") << false << u"€ \u201Cx\u201D"_s;
    QTest::newRow("Windows-1252 unassigned byte keeps its code")
        << QByteArray("\x81") << false << u"\u0081"_s;
    QTest::newRow("cut two-byte sequence is dropped") << QByteArray("Zo\xC3") << true << u"Zo"_s;
    QTest::newRow("cut three-byte sequence is dropped") << QByteArray("a\xE2\x82") << true << u"a"_s;
    QTest::newRow("cut four-byte sequence is dropped") << QByteArray("a\xF0\x9F\x98") << true << u"a"_s;
    QTest::newRow("whole sequence at the cut stays") << QByteArray("Zo\xC3\xAB") << true << u"Zoë"_s;
    QTest::newRow("invalid before the cut still falls back") << QByteArray("\xF2x\xC3") << true << u"òx"_s;
}

void RecordTextTest::decodingFallsBackToWindows1252OnlyForInvalidUtf8() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, cutShort);
    QFETCH(QString, text);
    QCOMPARE(decodeRecordText(bytes, cutShort), text);
}

void RecordTextTest::visibleTextNeverSteersATerminal_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("line end dropped, accents kept") << u"Niccolò\r\n"_s << u"Niccolò"_s;
    QTest::newRow("an escape sequence") << u"An\x1B[2Jna"_s << u"An\\u{001B}[2Jna"_s;
    QTest::newRow("a line feed, a tab and a backslash") << u"a\nb\tc\\d\r\n"_s << u"a\\nb\\tc\\\\d"_s;
    QTest::newRow("a right-to-left override") << u"\u202Eanna"_s << u"\\u{202E}anna"_s;
    QTest::newRow("an emoji kept whole") << u"\U0001F600"_s << u"\U0001F600"_s;
}

// What a pupil typed is printed on an administrator's terminal: nothing in it may clear the screen,
// break the line or turn the text around, and each escape reads back as one character.
void RecordTextTest::visibleTextNeverSteersATerminal() {
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QCOMPARE(visibleText(stored), shown);
}

QTEST_MAIN(RecordTextTest)
#include "tst_record_text.moc"
