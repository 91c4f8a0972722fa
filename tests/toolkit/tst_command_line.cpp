#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "support/environment_value.h"
#include "toolkit/command_line.h"

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView kVersion = u"brivadoro 1.0.0\n";

// The program's environment: no display, no configuration file, an empty home for its data, and
// recordDir, unless null, as BRIVADORO_RECORD_DIR.
QProcessEnvironment programEnvironment(const QString& runtime, const QString& recordDir) {
    QProcessEnvironment environment = brivadoro::testing::withoutDisplay();
    environment.remove(u"BRIVADORO_RECORD_DIR"_s);
    environment.insert(u"XDG_RUNTIME_DIR"_s, runtime);
    // Qt 6.8 warns on standard error when it starts in a locale that is not UTF-8, as a bare CI
    // machine's is; the players' desktops are UTF-8.
    environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
    environment.insert(u"XDG_CONFIG_DIRS"_s, runtime);
    environment.insert(u"XDG_DATA_HOME"_s, runtime + u"/data"_s);
    if (!recordDir.isNull())
        environment.insert(u"BRIVADORO_RECORD_DIR"_s, recordDir);
    return environment;
}

// The rows of the administrator's commands, each run against a class's folder that holds " 12".
void addRecordCommandRows() {
    // Before any reset, which leaves the lock file: showing the record creates nothing.
    QTest::newRow("--show-record")
        << QStringList{u"--show-record"_s} << -1
        << u"Cartella dei record: @/\nScelta da: la variabile d'ambiente BRIVADORO_RECORD_DIR\n"
           u"Record: punteggio « 12», nome « 12»\n…"_s
        << QString() << u"@"_s << QString();
    QTest::newRow("--show-record, a folder that is not there")
        << QStringList{u"--show-record"_s} << 1
        << u"Cartella dei record: @/mancante/\nScelta da: la variabile d'ambiente BRIVADORO_RECORD_DIR\n"
           u"La cartella non si può usare: @/mancante/: la cartella non esiste.\n"_s
        << QString() << u"@/mancante"_s << QString();
    QTest::newRow("--show-record, a folder with no record yet")
        << QStringList{u"--show-record"_s} << -1
        << u"Cartella dei record: @/vuota/\nScelta da: la variabile d'ambiente BRIVADORO_RECORD_DIR\n"
           u"Record: nessun record ancora\n…"_s
        << QString() << u"@/vuota"_s << QString();
    QTest::newRow("--reset-record --yes, a folder with no record yet")
        << QStringList{u"--reset-record"_s, u"--yes"_s} << 0
        << u"Nella cartella @/vuota/ non c'era nessun record da azzerare.\n"_s << QString() << u"@/vuota"_s
        << QString();
    const QString reset =
        u"Ho azzerato il record nella cartella @/\nIl record tolto era: punteggio « 12», nome « 12».\n"_s;
    QTest::newRow("--reset-record --yes")
        << QStringList{u"--reset-record"_s, u"--yes"_s} << 0 << reset << QString() << u"@"_s << QString();
    QTest::newRow("--reset-record without a terminal")
        << QStringList{u"--reset-record"_s} << 2 << QString()
        << u"brivadoro: --reset-record chiede conferma, ma non c'è un terminale per rispondere: aggiungi "
           u"--yes "
           u"per azzerare senza domande\n"_s
        << u"@"_s << QString();
    QTest::newRow("--reset-record on a terminal, answered sì")
        << QStringList{u"--reset-record"_s} << 0
        << u"Azzero il record della cartella @/ (punteggio « 12», nome « 12»)? [s/N] "_s + reset << QString()
        << u"@"_s << u"sì\n"_s;
    QTest::newRow("--reset-record on a terminal, its output to a file")
        << QStringList{u"--reset-record"_s, u">/dev/null"_s} << 1
        << u"Azzero il record della cartella @/ (punteggio « 12», nome « 12»)? [s/N] "_s << QString()
        << u"@"_s << u"\n"_s;
    QTest::newRow("--reset-record on a terminal, answered with Enter")
        << QStringList{u"--reset-record"_s} << 1
        << u"Azzero il record della cartella @/ (punteggio « 12», nome « 12»)? [s/N] "
           u"Non ho azzerato nulla: il record resta com'era.\n"_s
        << QString() << u"@"_s << u"\n"_s;
    QTest::newRow("--reset-record --yes, a folder that is not there")
        << QStringList{u"--reset-record"_s, u"--yes"_s} << 1 << QString()
        << u"brivadoro: non ho potuto azzerare il record: @/mancante/: la cartella non esiste.\n"_s
        << u"@/mancante"_s << QString();
}

} // namespace

// The real program, run with no display at all: whatever it answers, it answers without one, so
// without a window.
class CommandLineTest : public QObject {
    Q_OBJECT
    QTemporaryDir runtimeFolder_; // private to the user, as Qt wants XDG_RUNTIME_DIR

private slots:
    void answersWithoutAWindow_data();
    void answersWithoutAWindow();
    void gameChoicesTakeTheCommandLineThenTheFirstFileThatSetsThem_data();
    void gameChoicesTakeTheCommandLineThenTheFirstFileThatSetsThem();
    void eachConfigurationFileIsOpenedOnce();
};

void CommandLineTest::answersWithoutAWindow_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output"); // the whole output, or the help's first line
    QTest::addColumn<QString>("error");
    // For the records' commands: BRIVADORO_RECORD_DIR, "@" standing for a class's folder that holds
    // a record; a null text leaves it unset, in a home with no records folder.
    QTest::addColumn<QString>("recordDir");
    QTest::addColumn<QString>("typed"); // what is typed on a terminal; a null text for no terminal
    const QString help = u"Uso: brivadoro [opzioni]\n…"_s;
    const auto unknown = [](QStringView option) {
        return u"brivadoro: opzione sconosciuta: %1 (brivadoro --help elenca le opzioni)\n"_s.arg(option);
    };
    QTest::newRow("--version") << QStringList{u"--version"_s} << 0 << kVersion.toString() << QString()
                               << QString() << QString();
    QTest::newRow("-v") << QStringList{u"-v"_s} << 0 << kVersion.toString() << QString() << QString()
                        << QString();
    QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << help << QString() << QString() << QString();
    QTest::newRow("-h") << QStringList{u"-h"_s} << 0 << help << QString() << QString() << QString();
    QTest::newRow("unknown long option")
        << QStringList{u"--versione"_s} << 2 << QString() << unknown(u"--versione") << QString() << QString();
    QTest::newRow("unknown short option")
        << QStringList{u"-x"_s} << 2 << QString() << unknown(u"-x") << QString() << QString();
    QTest::newRow("unknown option before --help") << QStringList{u"--colori"_s, u"--help"_s} << 2 << QString()
                                                  << unknown(u"--colori") << QString() << QString();
    QTest::newRow("a word that is no option")
        << QStringList{u"record"_s} << 2 << QString()
        << u"brivadoro: argomento inatteso: record (brivadoro --help elenca le opzioni)\n"_s << QString()
        << QString();
    QTest::newRow("Qt's option, then --version")
        << QStringList{u"-platform"_s, u"offscreen"_s, u"--version"_s} << 0 << kVersion.toString()
        << QString() << QString() << QString();
    QTest::newRow("-f with -w")
        << QStringList{u"-f"_s, u"-w"_s} << 2 << QString()
        << u"brivadoro: --fullscreen e --window si escludono: scegline uno (brivadoro "
           u"--help elenca le opzioni)\n"_s
        << QString() << QString();
    QTest::newRow("Qt's option, then an unknown one")
        << QStringList{u"-platform"_s, u"offscreen"_s, u"--colori"_s} << 2 << QString()
        << unknown(u"--colori") << QString() << QString();
    QTest::newRow("--open without --report")
        << QStringList{u"--open"_s} << 2 << QString()
        << u"brivadoro: --since, --output e --open valgono solo con --report\n"_s << QString() << QString();
    QTest::newRow("--output of neither CSV nor PDF")
        << QStringList{u"--report"_s, u"--output"_s, u"diario.txt"_s} << 2 << QString()
        << u"brivadoro: --output scrive un file .csv o .pdf, non diario.txt\n"_s << QString() << QString();
    QTest::newRow("--open with a CSV file")
        << QStringList{u"--report"_s, u"--open"_s, u"--output"_s, u"partite.csv"_s} << 2 << QString()
        << u"brivadoro: --open apre il resoconto in PDF: con --output dagli un nome che finisce in .pdf\n"_s
        << QString() << QString();
    addRecordCommandRows();
}

void CommandLineTest::answersWithoutAWindow() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, error);
    QFETCH(QString, recordDir);
    QFETCH(QString, typed);
    // A root made with chroot may have no /dev/pts, where no terminal can be made.
    if (!typed.isNull() && QProcess::execute(u"script"_s, {u"-qec"_s, u"true"_s, u"/dev/null"_s}) != 0)
        QSKIP("No terminal can be made here");
    const QString classFolder = runtimeFolder_.path() + u"/classe"_s;
    QDir().mkpath(classFolder + u"/vuota"_s);
    for (const char* name : {"aquadrix.txt", "quadrix.txt"}) {
        QFile file(classFolder + u'/' + QLatin1StringView(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(" 12\r\n") == 5);
    }
    const auto placed = [&](QString text) { return text.replace(u'@', classFolder); };
    QProcess program;
    program.setProcessEnvironment(
        programEnvironment(runtimeFolder_.path(), recordDir.isNull() ? QString() : placed(recordDir)));
    const QString brivadoro = qEnvironmentVariable("BRIVADORO_PROGRAM");
    if (typed.isNull()) {
        program.start(brivadoro, arguments);
    } else { // script gives the program a terminal, and echoes what is typed on it
        program.start(u"script"_s,
                      {u"-qec"_s, (QStringList{brivadoro} + arguments).join(u' '), u"/dev/null"_s});
        program.write(typed.toUtf8());
    }
    QVERIFY2(program.waitForFinished(30'000), qPrintable(program.errorString()));

    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    // The status of --show-record tells whether the folder is the group's to write, which differs for root.
    if (status >= 0)
        QCOMPARE(program.exitCode(), status);
    QString shown = QString::fromLocal8Bit(program.readAllStandardOutput()).remove(u'\r');
    if (!typed.isNull()) // the terminal's echo, before or after the question
        shown.remove(shown.indexOf(typed), typed.size());
    // An output that ends in "…" is only the beginning of it.
    QVERIFY2(shown.startsWith(placed(output).remove(u'…')), qPrintable(shown));
    if (!output.endsWith(u'…'))
        QCOMPARE(shown, placed(output));
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), placed(error));
    // Only a reset empties the record, and only the record of the folder in use.
    const bool reset = output.contains(u"Ho azzerato");
    for (const char* name : {"aquadrix.txt", "quadrix.txt"})
        QCOMPARE(QFileInfo(classFolder + u'/' + QLatin1StringView(name)).size(), reset ? 0 : 5);
    if (arguments.contains(u"--show-record"_s))
        QVERIFY(!QFileInfo::exists(classFolder + u"/record.lock"_s));
    QStringList files = QDir(classFolder).entryList(QDir::Files | QDir::Hidden);
    files.removeOne(u"record.lock"_s); // a reset leaves the lock file, as every game does
    QCOMPARE(files.size(), 2);
    QVERIFY(!QFileInfo::exists(runtimeFolder_.path() + u"/data"_s));
    QVERIFY(QDir(classFolder + u"/vuota"_s).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void CommandLineTest::gameChoicesTakeTheCommandLineThenTheFirstFileThatSetsThem_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("first");  // the most important configuration file; a null text for none
    QTest::addColumn<QString>("second"); // the next folder's
    QTest::addColumn<bool>("fullScreen");
    QTest::addColumn<bool>("sound");
    QTest::addColumn<QString>("mistake"); // the mistake told of the first file, if any
    const QString none = QString();
    const auto notASwitch = [](QStringView setting) {
        return u"%1 non è un valore valido (true, false, 1 o 0); lo ignoro."_s.arg(setting);
    };
    QTest::newRow("neither") << QStringList() << none << none << false << true << none;
    QTest::newRow("-f -m") << QStringList{u"-f"_s, u"-m"_s} << none << none << true << false << none;
    QTest::newRow("under [General]") << QStringList() << u"[General]\nFullScreen=true\nSound=false\n"_s
                                     << none << true << false << none;
    QTest::newRow("at the top, TRUE and 0, no diary")
        << QStringList() << u"FullScreen=TRUE\nSound=0\nDiary=false\n"_s << none << true << false << none;
    QTest::newRow("--mute over Sound=true")
        << QStringList{u"--mute"_s} << u"Sound=true\n"_s << none << false << false << none;
    QTest::newRow("-w -s over FullScreen=true and Sound=false")
        << QStringList{u"-w"_s, u"-s"_s} << u"FullScreen=true\nSound=false\n"_s << none << false << true
        << none;
    QTest::newRow("off is no false, as Qt would read it")
        << QStringList() << u"Sound=off\n"_s << none << false << true << notASwitch(u"Sound=off");
    QTest::newRow("the first file that sets a key, a mistake there")
        << QStringList() << u"FullScreen=2\nSound=false\n"_s << u"FullScreen=true\nSound=true\n"_s << false
        << false << notASwitch(u"FullScreen=2");
    QTest::newRow("--fullscreen over a mistake") << QStringList{u"--fullscreen"_s} << u"FullScreen=forse\n"_s
                                                 << none << true << true << notASwitch(u"FullScreen=forse");
    QTest::newRow("an unknown key, with the known key nearest to it")
        << QStringList() << u"RecordFoler=/srv/classe\nSound=0\n"_s << none << false << false
        << u"chiave sconosciuta RecordFoler, che il gioco ignora: forse RecordFolder?"_s;
    QTest::newRow("a line commented out with #")
        << QStringList() << u"# Sound=false\n"_s << none << false << true
        << u"chiave sconosciuta # Sound, che il gioco ignora: forse Sound?"_s;
    QTest::newRow("a known key in an unknown group")
        << QStringList() << u"[brivadoro]\nFullScreen=true\n"_s << none << false << true
        << u"gruppo sconosciuto [brivadoro], che il gioco ignora: la chiave FullScreen va in cima al file o "
           u"sotto [General]."_s;
    QTest::newRow("a file that cannot be read ends the search")
        << QStringList() << u"<cartella>"_s << u"FullScreen=true\n"_s << false << true
        << u"il file di configurazione non si può leggere (è una cartella): il gioco non tiene il record "
           u"finché non si potrà leggere."_s;
}

void CommandLineTest::gameChoicesTakeTheCommandLineThenTheFirstFileThatSetsThem() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, fullScreen);
    QFETCH(bool, sound);
    QFETCH(QString, mistake);
    const QTemporaryDir dirs;
    const QStringList folders{dirs.path() + u"/first"_s, dirs.path() + u"/second"_s};
    for (const auto& [folder, text] : {std::pair{folders[0], first}, std::pair{folders[1], second}}) {
        QFile file(folder + u"/brivadoro/brivadoro.conf"_s);
        QVERIFY(text.isNull() || (text == u"<cartella>" && QDir().mkpath(file.fileName())) ||
                (QDir().mkpath(folder + u"/brivadoro"_s) && file.open(QIODevice::WriteOnly) &&
                 file.write(text.toUtf8()) == text.toUtf8().size()));
    }
    const brivadoro::testing::EnvironmentValue configDirs("XDG_CONFIG_DIRS", folders.join(u':'));
    const brivadoro::Settings settings = brivadoro::readSettings(
        brivadoro::readCommandLine(QStringList{u"brivadoro"_s} + arguments, brivadoro::QtOptions::Removed));
    QCOMPARE(settings.fullScreen, fullScreen);
    QCOMPARE(settings.sound, sound);
    QCOMPARE(settings.diary, !first.contains(u"Diary=false"));
    const QString told = u"brivadoro: %1/brivadoro/brivadoro.conf: %2"_s.arg(folders[0], mistake);
    QCOMPARE(settings.config.mistakes, mistake.isNull() ? QStringList() : QStringList{told});
}

// The program reads its configuration once, into the settings that all of it uses: a file is opened
// once, however many keys it sets and however many parts of the program ask for them.
void CommandLineTest::eachConfigurationFileIsOpenedOnce() {
    if (QStandardPaths::findExecutable(u"strace"_s).isEmpty())
        QSKIP("strace is not installed");
    const QString config = runtimeFolder_.path() + u"/brivadoro/brivadoro.conf"_s;
    QDir().mkpath(runtimeFolder_.path() + u"/brivadoro"_s);
    QFile file(config);
    const QByteArray text =
        "RecordFolder=" + QFile::encodeName(runtimeFolder_.path()) + "\nFullScreen=1\nSound=0\n";
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    const QString trace = runtimeFolder_.path() + u"/strace.log"_s;
    QProcess program;
    program.setProcessEnvironment(programEnvironment(runtimeFolder_.path(), QString()));
    program.start(u"strace"_s, {u"-f"_s, u"-e"_s, u"trace=open,openat,openat2"_s, u"-o"_s, trace,
                                qEnvironmentVariable("BRIVADORO_PROGRAM"), u"--show-record"_s});
    QVERIFY(program.waitForFinished(30'000));
    QFile log(trace);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray opens = log.readAll();
    QVERIFY2(opens.contains(QFile::encodeName(config)), opens.constData());
    QCOMPARE(opens.count(QFile::encodeName(config) + '"'), 1);
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_command_line.moc"
