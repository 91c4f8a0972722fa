#pragma once

#include <QString>
#include <QTest>

namespace brivadoro::testing {

using namespace Qt::StringLiterals;

// Adds a column "name" with the names a player may type that are hardest to show and store.
inline void addAwkwardNameRows() {
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("10 000 characters") << QString(u"Anna Maria "_s).repeated(1000).left(10'000);
    QTest::newRow("only blanks") << QString(12, u' ');
    QTest::newRow("rich text") << u"<b>Anna</b><img src=x><a href=\"y\">z</a>&amp;"_s;
    QTest::newRow("right to left") << u"\u05E9\u05E8\u05D4 \u0633\u0627\u0631\u0629 \u202Eabc\u202C"_s;
    QTest::newRow("emoji")
        << u"Zo\u00EB \U0001F600\U0001F469\u200D\U0001F467\u200D\U0001F466\U0001F1EE\U0001F1F9"_s;
}

} // namespace brivadoro::testing
