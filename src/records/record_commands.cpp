#include "record_commands.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "file_handle.h"
#include "record_pair.h"
#include "record_paths.h"
#include "record_text.h"
#include "toolkit/program_control.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kFolder = u"Cartella dei record: %1\n";
constexpr QStringView kChosenByVariable = u"Scelta da: la variabile d'ambiente BRIVADORO_RECORD_DIR\n";
constexpr QStringView kChosenByConfig = u"Scelta da: RecordFolder nel file di configurazione %1\n";
constexpr QStringView kChosenPerUser =
    u"Scelta da: nessuna impostazione, perciò è la cartella personale di questo account\n";
constexpr QStringView kUnusable = u"La cartella non si può usare: %1: %2.\n";
constexpr QStringView kNotYetMade = u"La cartella non c'è ancora: la crea il primo gioco.\n";
constexpr QStringView kRecord = u"Record: punteggio «%1», nome «%2»\n";
constexpr QStringView kPending =
    u"Record: punteggio «%1», nome «%2», registrato ma non ancora al suo posto: il prossimo gioco lo "
    u"completa\n";
constexpr QStringView kNoRecord = u"Record: nessuno\n";
constexpr QStringView kNoRecordYet = u"Record: nessun record ancora\n";
constexpr QStringView kUnreadable = u"Record: non si può leggere: %1: %2.\n";
constexpr QStringView kGroupMay = u"Il gruppo %1 della cartella può sostituire il record.\n";
constexpr QStringView kGroupMayNot = u"Il gruppo %1 della cartella non può sostituire il record: %2.\n";
constexpr QStringView kAccountMay = u"Questo account (%1) può sostituire il record.\n";
constexpr QStringView kAccountMayNot = u"Questo account (%1) non può sostituire il record: %2.\n";
constexpr QStringView kReasonGroupCannotWrite = u"la cartella non è scrivibile dal gruppo (chmod g+w)";
constexpr QStringView kReasonAccountCannotWrite = u"non può creare file nella cartella";
constexpr QStringView kReasonSticky = u"la cartella ha il bit sticky (chmod -t)";
constexpr QStringView kReasonOfFile = u"%1: %2";
constexpr QStringView kReasonGroupCannotRead =
    u"%1 non si può leggere dal gruppo della cartella, perciò nessun altro gioco lo legge né lo "
    u"sostituisce (chmod g+r, oppure --reset-record)";
constexpr QStringView kMistakes = u"Errori di configurazione:\n";

constexpr QStringView kResetQuestion =
    u"Azzero il record della cartella %1 (punteggio «%2», nome «%3»)? [s/N] ";
constexpr QStringView kAlreadyEmpty = u"Il record della cartella %1 è già vuoto.\n";
constexpr QStringView kNothingToReset = u"Nella cartella %1 non c'era nessun record da azzerare.\n";
constexpr QStringView kChangedMeanwhile =
    u"Il record è cambiato mentre aspettavo la risposta: ora è punteggio «%1», nome «%2».\n"
    u"Non ho azzerato nulla.\n";
constexpr QStringView kResetKept = u"Non ho azzerato nulla: il record resta com'era.\n";
constexpr QStringView kResetDone =
    u"Ho azzerato il record nella cartella %1\nIl record tolto era: punteggio «%2», nome «%3».\n";
constexpr QStringView kResetFailed = u"brivadoro: non ho potuto azzerare il record: %1: %2.\n";

// Whether the report speaks of the folder's group: for root, who may replace anything, those who play
// in a class's folder are its group; for anyone else, and in the player's own folder, this account.
bool speaksForGroup(const RecordFolderChoice& choice) {
    return ::geteuid() == 0 && choice.source != FolderSource::PerUser;
}

// Whether the folder's group may read the file, as every other game of the class must to store a
// record after it.
bool groupMayRead(const FileStatus& folder, const FileStatus& file) {
    return (file.st_mode & S_IROTH) != 0 || ((file.st_mode & S_IRGRP) != 0 && file.st_gid == folder.st_gid);
}

// Why those who play in the folder could not replace the record, or nothing when they can.
QString whyPlayersCannotReplace(const RecordFolderChoice& choice, const FileStatus& folder, bool forGroup) {
    if (forGroup && (folder.st_mode & (S_IWGRP | S_IXGRP)) != (S_IWGRP | S_IXGRP))
        return kReasonGroupCannotWrite.toString();
    if (!forGroup && ::access(QFile::encodeName(choice.folder).constData(), W_OK | X_OK) != 0)
        return kReasonAccountCannotWrite.toString();
    if (forGroup && (folder.st_mode & S_ISVTX) != 0)
        return kReasonSticky.toString();
    for (const QStringView fileName : {kScoreFileName, kNameFileName}) {
        const QString path = recordFilePath(choice.folder, fileName);
        const std::optional<FileStatus> file = linkStatus(path);
        if (forGroup && file && !S_ISDIR(file->st_mode) && !groupMayRead(folder, *file))
            return kReasonGroupCannotRead.arg(path);
        if (const QString why = whyNotReplaceable(folder, path); !why.isEmpty())
            return kReasonOfFile.arg(path, why);
    }
    return {};
}

// The record and whether it can be replaced; false when anything is amiss.
bool reportRecord(const RecordFolderChoice& choice, QString& report) {
    FileStatus folder{};
    if (::stat(QFile::encodeName(choice.folder).constData(), &folder) != 0) {
        report += kNotYetMade; // only the player's own folder may be missing here
        return true;
    }
    bool inOrder = true;
    try {
        const PeekedPair stored = peekRecordPair(choice.folder);
        const QString score = visibleText(stored.pair.score);
        const QString name = visibleText(stored.pair.name);
        if (stored.state == PairState::Missing)
            report += kNoRecordYet;
        else if (score.isEmpty() && name.isEmpty() && stored.state == PairState::InPlace)
            report += kNoRecord;
        else
            report += (stored.state == PairState::Pending ? kPending : kRecord).arg(score, name);
    } catch (const RecordFileError& error) {
        report += kUnreadable.arg(error.path(), error.reason());
        inOrder = false;
    }
    const bool forGroup = speaksForGroup(choice);
    const QString who = forGroup ? groupName(folder.st_gid) : accountName(::geteuid());
    const QString why = whyPlayersCannotReplace(choice, folder, forGroup);
    if (why.isEmpty())
        report += (forGroup ? kGroupMay : kAccountMay).arg(who);
    else
        report += (forGroup ? kGroupMayNot : kAccountMayNot).arg(who, why);
    return inOrder && why.isEmpty();
}

} // namespace

CommandLineAnswer showRecord(const Settings& settings) {
    const RecordFolderChoice choice = chooseRecordFolder(settings);
    QString report = kFolder.arg(choice.folder.isEmpty() ? kUnknownFolder.toString() : choice.folder);
    if (choice.source == FolderSource::Variable)
        report += kChosenByVariable;
    else if (choice.source == FolderSource::Configuration)
        report += kChosenByConfig.arg(choice.configFile);
    else
        report += kChosenPerUser;
    bool inOrder = true;
    try {
        checkRecordFolder(choice);
        inOrder = reportRecord(choice, report);
    } catch (const RecordFileError& error) {
        report += kUnusable.arg(error.path(), error.reason());
        inOrder = false;
    }
    if (const QStringList& mistakes = settings.config.mistakes; !mistakes.isEmpty()) {
        report += kMistakes.toString() + mistakes.join(u'\n') + u'\n';
        inOrder = false;
    }
    return {inOrder ? ExitStatus::Normal : ExitStatus::Failure, report, {}};
}

CommandLineAnswer resetRecord(const Settings& settings, const Confirmation& confirm) {
    const RecordFolderChoice choice = chooseRecordFolder(settings);
    try {
        checkRecordFolder(choice);
        // The question waits for a person, without the lock: what is removed is what was shown, read
        // again under the lock, and nothing when it changed meanwhile.
        const PeekedPair shown =
            QFileInfo(choice.folder).isDir() ? peekRecordPair(choice.folder) : PeekedPair{};
        if (shown.state == PairState::Missing)
            return {ExitStatus::Normal, kNothingToReset.arg(choice.folder), {}};
        const RecordPair& pair = shown.pair;
        if (pair.score.isEmpty() && pair.name.isEmpty())
            return {ExitStatus::Normal, kAlreadyEmpty.arg(choice.folder), {}};
        if (!confirm(kResetQuestion.arg(choice.folder, visibleText(pair.score), visibleText(pair.name))))
            return {ExitStatus::Failure, kResetKept.toString(), {}};
        const RecordLock lock(choice.folder);
        if (const RecordPair now = readRecordPair(lock); now != pair)
            return {ExitStatus::Failure,
                    kChangedMeanwhile.arg(visibleText(now.score), visibleText(now.name)),
                    {}};
        clearRecordPair(lock);
        return {ExitStatus::Normal,
                kResetDone.arg(choice.folder, visibleText(pair.score), visibleText(pair.name)),
                {}};
    } catch (const RecordFileError& error) {
        return {ExitStatus::Failure, {}, kResetFailed.arg(error.path(), error.reason())};
    }
}

} // namespace brivadoro
