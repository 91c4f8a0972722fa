#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView kVersion = u"brivadoro 1.0.0\n";

} // namespace

// The real program, run with no display at all: whatever it answers, it answers without one, so
// without a window.
class CommandLineTest : public QObject {
    Q_OBJECT
    QTemporaryDir runtimeFolder_; // private to the user, as Qt wants XDG_RUNTIME_DIR

private slots:
    void answersWithoutAWindow_data();
    void answersWithoutAWindow();
};

void CommandLineTest::answersWithoutAWindow_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output"); // the whole output, or the help's first line
    QTest::addColumn<QString>("error");
    const QString help = u"Uso: brivadoro [opzioni]\n"_s;
    const auto unknown = [](QStringView option) {
        return u"brivadoro: opzione sconosciuta: %1 (brivadoro --help elenca le opzioni)\n"_s.arg(option);
    };
    QTest::newRow("--version") << QStringList{u"--version"_s} << 0 << kVersion.toString() << QString();
    QTest::newRow("-v") << QStringList{u"-v"_s} << 0 << kVersion.toString() << QString();
    QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << help << QString();
    QTest::newRow("-h") << QStringList{u"-h"_s} << 0 << help << QString();
    QTest::newRow("unknown long option")
        << QStringList{u"--versione"_s} << 2 << QString() << unknown(u"--versione");
    QTest::newRow("unknown short option") << QStringList{u"-x"_s} << 2 << QString() << unknown(u"-x");
    QTest::newRow("unknown option before --help")
        << QStringList{u"--colori"_s, u"--help"_s} << 2 << QString() << unknown(u"--colori");
    QTest::newRow("a word that is no option")
        << QStringList{u"record"_s} << 2 << QString()
        << u"brivadoro: argomento inatteso: record (brivadoro --help elenca le opzioni)\n"_s;
    QTest::newRow("Qt's option, then --version")
        << QStringList{u"-platform"_s, u"offscreen"_s, u"--version"_s} << 0 << kVersion.toString()
        << QString();
    QTest::newRow("Qt's option, then an unknown one")
        << QStringList{u"-platform"_s, u"offscreen"_s, u"--colori"_s} << 2 << QString()
        << unknown(u"--colori");
}

void CommandLineTest::answersWithoutAWindow() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, error);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtimeFolder_.path());
    // Qt 6.8 warns on standard error when it starts in a locale that is not UTF-8, as a bare CI
    // machine's is; the players' desktops are UTF-8.
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    program.setProcessEnvironment(environment);
    program.start(qEnvironmentVariable("BRIVADORO_PROGRAM"), arguments);
    QVERIFY2(program.waitForFinished(30'000), qPrintable(program.errorString()));

    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    const QString shown = QString::fromLocal8Bit(program.readAllStandardOutput());
    QVERIFY2(shown.startsWith(output), qPrintable(shown));
    if (!output.startsWith(u"Uso:"))
        QCOMPARE(shown, output);
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), error);
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
