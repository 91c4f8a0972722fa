#include "command_line.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include <unistd.h>

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "toolkit/program_control.h"
#include "toolkit/program_version.h"
#include "toolkit/system_config.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kProgramName = u"brivadoro";
constexpr QStringView kUsage = u"Uso: %1 [opzioni]";
constexpr QStringView kSummary = u"Brivadoro, il gioco dei multipli di 4. Senza opzioni apre il gioco.";
constexpr QStringView kOptionsHeading = u"Opzioni:";
constexpr QStringView kAdministratorHeading = u"Opzioni per l'amministratore:";
constexpr QStringView kQtOptionsNote =
    u"Accetta anche le opzioni comuni dei programmi Qt, come -platform e -display.";
constexpr QStringView kHelpDescription = u"mostra queste righe ed esce";
constexpr QStringView kVersionDescription = u"mostra la versione del programma ed esce";
constexpr QStringView kResetDescription = u"azzera il record in uso, dopo aver chiesto conferma, ed esce";
constexpr QStringView kYesDescription = u"con --reset-record, azzera senza chiedere conferma";
constexpr QStringView kShowDescription =
    u"mostra la cartella dei record, il record e chi può sostituirlo, ed esce";
constexpr QStringView kNoTerminal =
    u"%1: --reset-record chiede conferma, ma non c'è un terminale per rispondere: aggiungi --yes per "
    u"azzerare senza domande\n";
constexpr std::array<QStringView, 3> kYesAnswers{u"s", u"sì", u"si"};
constexpr QStringView kFullScreenDescription = u"apre il gioco a schermo intero (come FullScreen=true)";
constexpr QStringView kWindowDescription = u"apre il gioco in una finestra (come FullScreen=false)";
constexpr QStringView kMuteDescription = u"gioca senza suoni, senza caricarne la libreria (come Sound=false)";
constexpr QStringView kSoundDescription = u"gioca con i suoni (come Sound=true)";
constexpr QStringView kReportDescription =
    u"mostra l'andamento di ogni alunno dal diario della cartella dei record, ed esce";
constexpr QStringView kSinceDescription = u"con --report, solo le partite da quel giorno in poi";
constexpr QStringView kOutputDescription =
    u"con --report, scrive ogni partita in FILE.csv, o il resoconto da stampare in FILE.pdf";
constexpr QStringView kOpenDescription =
    u"con --report, scrive il resoconto da stampare e lo apre nel visualizzatore di PDF";
constexpr QStringView kSinceValue = u"AAAA-MM-GG";
constexpr QStringView kOutputValue = u"FILE";
constexpr QStringView kBadSince = u"%1: --since vuole una data nella forma AAAA-MM-GG, non %2";
constexpr QStringView kReportOnly = u"%1: --since, --output e --open valgono solo con --report";
constexpr QStringView kReportAlone = u"%1: --report non si usa insieme a --show-record né a --reset-record";
constexpr QStringView kNoKnownSuffix = u"%1: --output scrive un file .csv o .pdf, non %2";
constexpr QStringView kOpenCsv =
    u"%1: --open apre il resoconto in PDF: con --output dagli un nome che finisce in .pdf";
constexpr QStringView kCsvSuffix = u".csv";
constexpr QStringView kPdfSuffix = u".pdf";
constexpr QStringView kOpposites = u"%1: %2 e %3 si escludono: scegline uno (%1 --help elenca le opzioni)";
constexpr const char* kRecordDirVariable = "BRIVADORO_RECORD_DIR";
constexpr QStringView kDataUnderHome = u"/.local/share";
constexpr QStringView kUnknownOption = u"%1: opzione sconosciuta: %2 (%1 --help elenca le opzioni)";
constexpr QStringView kUnexpectedArgument = u"%1: argomento inatteso: %2 (%1 --help elenca le opzioni)";

// The options that QGuiApplication and QApplication read and then remove from the arguments,
// those of the X11 platform included.
constexpr std::array<QStringView, 20> kQtOptionNames{u"style",
                                                     u"stylesheet",
                                                     u"widgetcount",
                                                     u"reverse",
                                                     u"qmljsdebugger",
                                                     u"platform",
                                                     u"platformpluginpath",
                                                     u"platformtheme",
                                                     u"plugin",
                                                     u"qwindowgeometry",
                                                     u"qwindowicon",
                                                     u"qwindowtitle",
                                                     u"session",
                                                     u"display",
                                                     u"geometry",
                                                     u"title",
                                                     u"icon",
                                                     u"name",
                                                     u"nograb",
                                                     u"dograb"};

bool isQtOption(const QString& name) {
    return std::ranges::find(kQtOptionNames, QStringView(name)) != kQtOptionNames.end();
}

QString dashed(const QString& name) {
    return (name.size() == 1 ? u"-"_s : u"--"_s) + name;
}

// The player's options, then under their own heading the administrator's.
QString helpText(const QList<QCommandLineOption>& options, qsizetype playerOptions) {
    QStringList names;
    for (const QCommandLineOption& option : options) {
        QStringList dashedNames;
        for (const QString& name : option.names())
            dashedNames << dashed(name);
        const QString value = option.valueName().isEmpty() ? QString() : u' ' + option.valueName();
        names << dashedNames.join(u", "_s) + value;
    }
    const qsizetype width = std::ranges::max(names, {}, &QString::size).size();
    QStringList lines{
        kUsage.toString().arg(kProgramName), kSummary.toString(), {}, kOptionsHeading.toString()};
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (i == playerOptions)
            lines << QString() << kAdministratorHeading.toString();
        lines << u"  "_s + names[i].leftJustified(width + 2) + options[i].description();
    }
    lines << QString() << kQtOptionsNote.toString();
    return lines.join(u'\n') + u'\n';
}

QString versionLine() {
    const auto version = QString::fromUtf8(kProgramVersion.data(), qsizetype(kProgramVersion.size()));
    return kProgramName.toString() + u' ' + version + u'\n';
}

CommandLineAnswer refused(QStringView message, const QString& what) {
    return {ExitStatus::Usage, {}, message.toString().arg(kProgramName, what) + u'\n'};
}

CommandLineAnswer refused(QStringView message) {
    return {ExitStatus::Usage, {}, message.toString().arg(kProgramName) + u'\n'};
}

// A pair of options that set one choice each way: on, off, or none when neither is given.
struct OptionPair {
    const QCommandLineOption& on;
    const QCommandLineOption& off;
};

// The options that shape --report, and those it cannot go with.
struct ReportOptions {
    const QCommandLineOption& show;
    const QCommandLineOption& reset;
    const QCommandLineOption& report;
    const QCommandLineOption& since;
    const QCommandLineOption& output;
    const QCommandLineOption& open;
};

// A usage mistake in the report's options; no status when there is none.
CommandLineAnswer reportMistake(const QCommandLineParser& parser, const ReportOptions& options) {
    if (!parser.isSet(options.report)) {
        const bool shaped =
            parser.isSet(options.since) || parser.isSet(options.output) || parser.isSet(options.open);
        return shaped ? refused(kReportOnly) : CommandLineAnswer{};
    }
    if (parser.isSet(options.show) || parser.isSet(options.reset))
        return refused(kReportAlone);
    const QString since = parser.value(options.since);
    if (parser.isSet(options.since) && !QDate::fromString(since, Qt::ISODate).isValid())
        return refused(kBadSince, since);
    const QString output = parser.value(options.output);
    if (!parser.isSet(options.output))
        return {};
    const bool csv = output.endsWith(kCsvSuffix, Qt::CaseInsensitive);
    if (!csv && !output.endsWith(kPdfSuffix, Qt::CaseInsensitive))
        return refused(kNoKnownSuffix, output);
    return csv && parser.isSet(options.open) ? refused(kOpenCsv) : CommandLineAnswer{};
}

// Both options of a pair given at once; no status when there is none.
CommandLineAnswer pairMistake(const QCommandLineParser& parser, std::initializer_list<OptionPair> pairs) {
    for (const auto& [on, off] : pairs) {
        if (parser.isSet(on) && parser.isSet(off))
            return {ExitStatus::Usage,
                    {},
                    kOpposites.arg(kProgramName, dashed(on.names().constLast()),
                                   dashed(off.names().constLast())) +
                        u'\n'};
    }
    return {};
}

std::optional<bool> chosen(const QCommandLineParser& parser, const OptionPair& pair) {
    if (parser.isSet(pair.on) || parser.isSet(pair.off))
        return parser.isSet(pair.on);
    return std::nullopt;
}

} // namespace

CommandLineAnswer readCommandLine(const QStringList& arguments, QtOptions qtOptions) {
    const QCommandLineOption help({u"h"_s, u"help"_s}, kHelpDescription.toString());
    const QCommandLineOption version({u"v"_s, u"version"_s}, kVersionDescription.toString());
    const QCommandLineOption fullScreen({u"f"_s, u"fullscreen"_s}, kFullScreenDescription.toString());
    const QCommandLineOption window({u"w"_s, u"window"_s}, kWindowDescription.toString());
    const QCommandLineOption mute({u"m"_s, u"mute"_s}, kMuteDescription.toString());
    const QCommandLineOption sound({u"s"_s, u"sound"_s}, kSoundDescription.toString());
    const QCommandLineOption show(u"show-record"_s, kShowDescription.toString());
    const QCommandLineOption reset(u"reset-record"_s, kResetDescription.toString());
    const QCommandLineOption yes(u"yes"_s, kYesDescription.toString());
    const QCommandLineOption report(u"report"_s, kReportDescription.toString());
    const QCommandLineOption since(u"since"_s, kSinceDescription.toString(), kSinceValue.toString());
    const QCommandLineOption output(u"output"_s, kOutputDescription.toString(), kOutputValue.toString());
    const QCommandLineOption open(u"open"_s, kOpenDescription.toString());
    const QList<QCommandLineOption> options{help,  version, fullScreen, window, mute,   sound, show,
                                            reset, yes,     report,     since,  output, open};
    constexpr qsizetype kPlayerOptions = 6;
    QCommandLineParser parser;
    // Qt's options are single words after one dash, as in -platform.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(options);
    parser.parse(arguments);

    // Before QApplication has run, an option that may be Qt's is left for it to take.
    QStringList unknown = parser.unknownOptionNames();
    if (qtOptions == QtOptions::NotYetRemoved) {
        if (!unknown.isEmpty() && std::ranges::all_of(unknown, &isQtOption))
            return {};
        unknown.removeIf(&isQtOption);
    }
    if (!unknown.isEmpty())
        return refused(kUnknownOption, dashed(unknown.first()));
    if (!parser.positionalArguments().isEmpty())
        return refused(kUnexpectedArgument, parser.positionalArguments().first());
    if (parser.isSet(help))
        return {ExitStatus::Normal, helpText(options, kPlayerOptions), {}};
    if (parser.isSet(version))
        return {ExitStatus::Normal, versionLine(), {}};
    if (CommandLineAnswer mistake = reportMistake(parser, {show, reset, report, since, output, open});
        mistake.exitStatus)
        return mistake;
    if (CommandLineAnswer mistake = pairMistake(parser, {{fullScreen, window}, {sound, mute}});
        mistake.exitStatus)
        return mistake;
    CommandLineAnswer answer;
    if (parser.isSet(report))
        answer.recordCommand = RecordCommand::Report;
    answer.report = {QDate::fromString(parser.value(since), Qt::ISODate), parser.value(output),
                     parser.isSet(open)};
    if (parser.isSet(show))
        answer.recordCommand = RecordCommand::Show;
    else if (parser.isSet(reset))
        answer.recordCommand = RecordCommand::Reset;
    answer.confirmed = parser.isSet(yes);
    answer.fullScreen = chosen(parser, {fullScreen, window});
    answer.sound = chosen(parser, {sound, mute});
    return answer;
}

CommandLineAnswer answerCommandLine(const QStringList& arguments, QtOptions qtOptions,
                                    const RecordCommands& records) {
    CommandLineAnswer answer = readCommandLine(arguments, qtOptions);
    if (answer.recordCommand == RecordCommand::Show)
        answer = records.show(readSettings(answer));
    else if (answer.recordCommand == RecordCommand::Report)
        answer = records.report(readSettings(answer), answer.report);
    else if (answer.recordCommand == RecordCommand::Reset && answer.confirmed)
        answer = records.reset(readSettings(answer), [](const QString&) { return true; });
    else if (answer.recordCommand == RecordCommand::Reset && ::isatty(STDIN_FILENO) == 0)
        answer = {ExitStatus::Usage, {}, kNoTerminal.arg(kProgramName)};
    else if (answer.recordCommand == RecordCommand::Reset)
        answer = records.reset(readSettings(answer), &askOnTerminal);
    std::fputs(answer.standardOutput.toLocal8Bit().constData(), stdout);
    std::fputs(answer.errorOutput.toLocal8Bit().constData(), stderr);
    return answer;
}

namespace {

// The XDG base directory rules, which QStandardPaths bends: a relative path is ignored, since it
// would move with the working folder, and with no usable HOME there is no place at all rather than
// the root folder.
QString dataHome() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(base))
        return base;
    const QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(home) || !QFileInfo(home).isDir())
        return {};
    return home + kDataUnderHome.toString();
}

} // namespace

Settings readSettings(const CommandLineAnswer& answer) {
    Settings settings;
    settings.config = readConfiguration();
    settings.fullScreen = answer.fullScreen.value_or(settings.config.fullScreen.value_or(false));
    settings.sound = answer.sound.value_or(settings.config.sound.value_or(true));
    settings.diary = settings.config.diary.value_or(true);
    settings.recordDirVariable = qEnvironmentVariable(kRecordDirVariable);
    settings.dataHome = dataHome();
    return settings;
}

void printErrorLines(const QStringList& lines) {
    for (const QString& line : lines)
        std::fputs((line + u'\n').toLocal8Bit().constData(), stderr);
}

bool askOnTerminal(const QString& question) {
    const QByteArray asked = question.toLocal8Bit();
    if (QFile terminal(u"/dev/tty"_s); terminal.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        terminal.write(asked);
    else
        std::fputs(asked.constData(), stderr);
    std::array<char, 64> line{};
    if (std::fgets(line.data(), int(line.size()), stdin) == nullptr)
        return false;
    const QString answer = QString::fromLocal8Bit(line.data()).trimmed().toLower();
    return std::ranges::find(kYesAnswers, QStringView(answer)) != kYesAnswers.end();
}

QStringList argumentsOf(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace brivadoro
