#include <limits>

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "support/awkward_names.h"
#include "support/doubles.h"
#include "support/test_main.h"
#include "toolkit/error_boundary.h"
#include "toolkit/int16.h"
#include "toolkit/number_text.h"
#include "toolkit/qt_dialogs.h"
#include "toolkit/random_source.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::testing;

namespace {

// Runs check on the modal box once it is open, from the event loop the box itself runs.
void whenBoxOpens(std::function<void(QWidget*)> check) {
    QTimer::singleShot(0, [check = std::move(check)] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        check(box);
    });
}

} // namespace

class ToolkitTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { configureTestApplication(); }

    void arithmeticOutsideSixteenBitsOverflows_data();
    void arithmeticOutsideSixteenBitsOverflows();
    void conversionsRoundAndFloorBeforeTheRangeCheck();

    void drawsStayBelowOneEvenFromTheLargestEngineValue();
    void reseedingTwiceWithOneNumberGivesNewDraws();
    void sameStateAndClockReplayExactly();

    void numberPatterns_data();
    void numberPatterns();

    void boundaryReportsAnEscapedErrorOnceAndEnds();
    void boundaryEndsWithoutASecondBoxWhenTheReportFails();

    void messageBoxShowsTheTextAsTyped_data() { addAwkwardNameRows(); }
    void messageBoxShowsTheTextAsTyped();
    void messageBoxShowsTheIconOfItsStyle_data();
    void messageBoxShowsTheIconOfItsStyle();
    void yesNoQuestionDefaultsToNoOnEnter();
    void inputBoxKeepsBlanksAndCancelGivesEmpty();
};

void ToolkitTest::arithmeticOutsideSixteenBitsOverflows_data() {
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("overflows");
    QTest::newRow("top edge") << 32766 << 1 << false;
    QTest::newRow("past the top") << 32767 << 1 << true;
    QTest::newRow("bottom edge") << -32767 << -1 << false;
    QTest::newRow("past the bottom") << -32765 << -4 << true;
}

void ToolkitTest::arithmeticOutsideSixteenBitsOverflows() {
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(bool, overflows);
    Int16 value = a;
    if (overflows) {
        QVERIFY_THROWS_EXCEPTION(OverflowError, value += Int16(b));
        QCOMPARE(value.value(), a); // a failed step leaves the value as it was
    } else {
        value += Int16(b);
        QCOMPARE(value.value(), a + b);
    }
    QVERIFY_THROWS_EXCEPTION(OverflowError, Int16(40000));
}

void ToolkitTest::conversionsRoundAndFloorBeforeTheRangeCheck() {
    QCOMPARE(Int16::rounded(2.5).value(), 2);
    QCOMPARE(Int16::rounded(3.5).value(), 4);
    QCOMPARE(Int16::rounded(300.0F).value(), 300);
    QCOMPARE(Int16::floored(-0.5).value(), -1);
    QCOMPARE(Int16::floored(9.999).value(), 9);
    QVERIFY_THROWS_EXCEPTION(OverflowError, Int16::rounded(32767.5));
    QVERIFY_THROWS_EXCEPTION(OverflowError, Int16::floored(32768.0));
    QVERIFY_THROWS_EXCEPTION(OverflowError, Int16::rounded(std::numeric_limits<double>::quiet_NaN()));
}

void ToolkitTest::drawsStayBelowOneEvenFromTheLargestEngineValue() {
    QVERIFY(MixingRandom::toUnitInterval(std::numeric_limits<std::uint64_t>::max()) < 1.0F);
    QCOMPARE(MixingRandom::toUnitInterval(0), 0.0F);
    MixingRandom random(7, [] { return std::uint64_t{1}; });
    float lowest = 1;
    float highest = 0;
    for (int i = 0; i < 200000; ++i) {
        const float r = random.draw();
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    QVERIFY(lowest >= 0.0F && lowest < 0.001F);
    QVERIFY(highest < 1.0F && highest > 0.999F);
}

void ToolkitTest::reseedingTwiceWithOneNumberGivesNewDraws() {
    MixingRandom random(1234, [] { return std::uint64_t{99}; });
    random.reseed(0);
    const float first = random.draw();
    random.reseed(0);
    const float second = random.draw();
    QVERIFY(first != second);

    random.reseedFromClock();
    const float afterClock = random.draw();
    random.reseedFromClock();
    QVERIFY(random.draw() != afterClock);
}

void ToolkitTest::sameStateAndClockReplayExactly() {
    std::uint64_t now = 1000;
    auto clock = [&now] { return now += 17; };
    MixingRandom original(0xC0FFEE, clock);
    std::vector<float> draws;
    const std::uint64_t clockAtStart = now;
    for (int i = 0; i < 50; ++i) {
        original.reseedFromClock();
        original.reseed(i % 3);
        draws.push_back(original.draw());
    }
    // cppcheck-suppress redundantAssignment ; the clock reads now, which the draws advanced
    now = clockAtStart;
    MixingRandom replay(0xC0FFEE, clock);
    for (int i = 0; i < 50; ++i) {
        replay.reseedFromClock();
        replay.reseed(i % 3);
        QCOMPARE(replay.draw(), draws[std::size_t(i)]);
    }
    QCOMPARE(replay.state(), original.state());
}

void ToolkitTest::numberPatterns_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("twoDigits");
    QTest::addColumn<QString>("oneDigit");
    QTest::newRow("zero") << 0.0 << "00"
                          << "0";
    QTest::newRow("one digit") << 7.0 << "07"
                               << "7";
    QTest::newRow("two digits") << 59.0 << "59"
                                << "59";
    QTest::newRow("three digits") << 123.0 << "123"
                                  << "123";
    QTest::newRow("float seconds") << double(60.0F - 1.0F) << "59"
                                   << "59";
    QTest::newRow("negative") << -5.0 << "-05"
                              << "-5";
}

void ToolkitTest::numberPatterns() {
    QFETCH(double, value);
    QFETCH(QString, twoDigits);
    QFETCH(QString, oneDigit);
    QCOMPARE(patternTwoDigits(value), twoDigits);
    QCOMPARE(patternOneDigit(value), oneDigit);
    QCOMPARE(decimalText(Int16::rounded(value)), oneDigit);
}

void ToolkitTest::boundaryReportsAnEscapedErrorOnceAndEnds() {
    TestWorld world;
    ErrorBoundary boundary(world.dialogs, world.program);
    boundary.run([] {});
    QVERIFY(world.dialogs.shown.empty());
    QVERIFY(!world.program.endedWith);

    boundary.run([] {
        Int16 score = 32767;
        score += 1;
    });
    QCOMPARE(world.dialogs.shown.size(), std::size_t(1));
    QVERIFY(world.dialogs.shown[0].text.contains(u"overflow"));
    QCOMPARE(world.dialogs.shown[0].title, u"Brivadoro");
    QCOMPARE(world.program.endedWith, std::optional<int>(ExitStatus::Failure));
}

void ToolkitTest::boundaryEndsWithoutASecondBoxWhenTheReportFails() {
    TestWorld world;
    ErrorBoundary boundary(world.dialogs, world.program);
    // A timer's handler fails too while the first report is open.
    world.dialogs.answer({MessageAnswer::Ok, {}, [&] { boundary.run([] { throw 42; }); }});
    boundary.run([] { throw std::runtime_error("primo"); });
    QCOMPARE(world.dialogs.shown.size(), std::size_t(1));
    QVERIFY(world.dialogs.shown[0].text.contains(u"primo"));
    QCOMPARE(world.program.endedWith, std::optional<int>(ExitStatus::Failure));
}

// A box that names the player shows every character as typed, whatever the name, and Enter closes it.
void ToolkitTest::messageBoxShowsTheTextAsTyped() {
    QFETCH(QString, name);
    const QString greeting = u"Ciao "_s + name + u'!';
    QtDialogs dialogs;
    whenBoxOpens([&greeting](QWidget* box) {
        QCOMPARE(box->windowTitle(), u"Brivadoro");
        bool found = false;
        for (QLabel* label : box->findChildren<QLabel*>()) {
            if (label->text() == greeting) {
                found = true;
                QCOMPARE(label->textFormat(), Qt::PlainText);
            }
        }
        QVERIFY(found);
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(dialogs.messageBox(greeting), MessageAnswer::Ok);
}

void ToolkitTest::messageBoxShowsTheIconOfItsStyle_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::newRow("plain") << MessageStyle::Ok << QMessageBox::NoIcon;
    QTest::newRow("critical") << MessageStyle::IconCritical << QMessageBox::Critical;
    QTest::newRow("question") << MessageStyle::IconQuestion << QMessageBox::Question;
    QTest::newRow("exclamation") << MessageStyle::IconExclamation << QMessageBox::Warning;
    QTest::newRow("information") << MessageStyle::IconInformation << QMessageBox::Information;
    QTest::newRow("yes or no, second button first")
        << (MessageStyle::YesNo | MessageStyle::IconQuestion | MessageStyle::DefaultButton2)
        << QMessageBox::Question;
}

void ToolkitTest::messageBoxShowsTheIconOfItsStyle() {
    QFETCH(int, style);
    QFETCH(QMessageBox::Icon, icon);
    QtDialogs dialogs;
    std::optional<QMessageBox::Icon> shown;
    // The box closes before anything is compared, so that a wrong icon fails instead of hanging.
    whenBoxOpens([&shown](QWidget* box) {
        if (const auto* messageBox = qobject_cast<QMessageBox*>(box))
            shown = messageBox->icon();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    dialogs.messageBox(u"Attenzione"_s, style);
    QVERIFY(shown);
    QCOMPARE(shown.value_or(QMessageBox::NoIcon), icon);
}

void ToolkitTest::yesNoQuestionDefaultsToNoOnEnter() {
    QtDialogs dialogs;
    const int style = MessageStyle::YesNo | MessageStyle::IconQuestion | MessageStyle::DefaultButton2;
    whenBoxOpens([](QWidget* box) {
        QCOMPARE(box->windowTitle(), u"Titolo");
        QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(dialogs.messageBox(u"Domanda?"_s, style, u"Titolo"_s), MessageAnswer::No);

    whenBoxOpens([](QWidget* box) {
        auto* box_ = qobject_cast<QMessageBox*>(box);
        QVERIFY(box_);
        box_->button(QMessageBox::Yes)->click();
    });
    QCOMPARE(dialogs.messageBox(u"Domanda?"_s, style, u"Titolo"_s), MessageAnswer::Yes);
}

void ToolkitTest::inputBoxKeepsBlanksAndCancelGivesEmpty() {
    QtDialogs dialogs;
    whenBoxOpens([](QWidget* box) {
        QCOMPARE(box->windowTitle(), u"Brivadoro");
        auto* edit = box->findChild<QLineEdit*>();
        QVERIFY(edit && edit->text().isEmpty());
        QTest::keyClicks(edit, u"  Anna "_s);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QCOMPARE(dialogs.inputBox(u"Come ti chiami?"_s), u"  Anna ");

    whenBoxOpens([](QWidget* box) {
        QTest::keyClicks(box->findChild<QLineEdit*>(), u"Bruno"_s);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QCOMPARE(dialogs.inputBox(u"Come ti chiami?"_s), QString());
}

QTEST_MAIN(ToolkitTest)
#include "tst_toolkit.moc"
