#include "record_commands.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "new_file.h"
#include "record_files.h"
#include "record_text.h"
#include "toolkit/program_control.h"
#include "toolkit/system_config.h"

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
constexpr QStringView kUnreadable = u"Record: non si può leggere: %1: %2.\n";
constexpr QStringView kGroupMay = u"Il gruppo %1 della cartella può sostituire il record.\n";
constexpr QStringView kGroupMayNot = u"Il gruppo %1 della cartella non può sostituire il record: %2.\n";
constexpr QStringView kAccountMay = u"Questo account (%1) può sostituire il record.\n";
constexpr QStringView kAccountMayNot = u"Questo account (%1) non può sostituire il record: %2.\n";
constexpr QStringView kReasonGroupCannotWrite = u"la cartella non è scrivibile dal gruppo (chmod g+w)";
constexpr QStringView kReasonAccountCannotWrite = u"non può creare file nella cartella";
constexpr QStringView kReasonSticky = u"la cartella ha il bit sticky (chmod -t)";
constexpr QStringView kReasonOthersFile =
    u"%1 è di un altro utente e la cartella ha il bit sticky (chmod -t)";
constexpr QStringView kMistakes = u"Errori di configurazione:\n";

constexpr QStringView kResetQuestion =
    u"Azzero il record della cartella %1 (punteggio «%2», nome «%3»)? [s/N] ";
constexpr QStringView kAlreadyEmpty = u"Il record della cartella %1 è già vuoto.\n";
constexpr QStringView kResetKept = u"Non ho azzerato nulla: il record resta com'era.\n";
constexpr QStringView kResetDone =
    u"Ho azzerato il record nella cartella %1\nIl record tolto era: punteggio «%2», nome «%3».\n";
constexpr QStringView kResetFailed = u"brivadoro: non ho potuto azzerare il record: %1: %2.\n";

QString groupName(gid_t gid) {
    const group* entry = ::getgrgid(gid);
    return entry != nullptr ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

QString accountName() {
    const passwd* entry = ::getpwuid(::geteuid());
    return entry != nullptr ? QString::fromLocal8Bit(entry->pw_name) : QString::number(::geteuid());
}

// Whether the report speaks of the folder's group: for root, who may replace anything, those who play
// in a class's folder are its group; for anyone else, and in the player's own folder, this account.
bool speaksForGroup(const RecordFolderChoice& choice) {
    return ::geteuid() == 0 && choice.source != FolderSource::PerUser;
}

// Why those who play in the folder could not replace the record, or nothing when they can.
QString whyNotReplaceable(const RecordFolderChoice& choice, const FileStatus& folder, bool forGroup) {
    if (forGroup && (folder.st_mode & (S_IWGRP | S_IXGRP)) != (S_IWGRP | S_IXGRP))
        return kReasonGroupCannotWrite.toString();
    if (!forGroup && ::access(QFile::encodeName(choice.folder).constData(), W_OK | X_OK) != 0)
        return kReasonAccountCannotWrite.toString();
    if ((folder.st_mode & S_ISVTX) == 0 || (!forGroup && ::geteuid() == 0))
        return {};
    if (forGroup)
        return kReasonSticky.toString();
    for (const QStringView name : {kScoreFileName, kNameFileName}) {
        const QString path = recordFilePath(choice.folder, name);
        FileStatus file{};
        if (::lstat(QFile::encodeName(path).constData(), &file) == 0 && file.st_uid != ::geteuid())
            return kReasonOthersFile.arg(path);
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
        if (score.isEmpty() && name.isEmpty() && !stored.pending)
            report += kNoRecord;
        else
            report += (stored.pending ? kPending : kRecord).arg(score, name);
    } catch (const RecordFileError& error) {
        report += kUnreadable.arg(error.path(), error.reason());
        inOrder = false;
    }
    const bool forGroup = speaksForGroup(choice);
    const QString who = forGroup ? groupName(folder.st_gid) : accountName();
    const QString why = whyNotReplaceable(choice, folder, forGroup);
    if (why.isEmpty())
        report += (forGroup ? kGroupMay : kAccountMay).arg(who);
    else
        report += (forGroup ? kGroupMayNot : kAccountMayNot).arg(who, why);
    return inOrder && why.isEmpty();
}

} // namespace

CommandLineAnswer showRecord() {
    const RecordFolderChoice choice = chooseRecordFolder();
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
    if (const QStringList mistakes = configMistakes(); !mistakes.isEmpty()) {
        report += kMistakes.toString() + mistakes.join(u'\n') + u'\n';
        inOrder = false;
    }
    return {inOrder ? ExitStatus::Normal : ExitStatus::Failure, report, {}};
}

CommandLineAnswer resetRecord(const Confirmation& confirm) {
    const RecordFolderChoice choice = chooseRecordFolder();
    try {
        prepareRecordFolder(choice);
        // The question waits for a person: the lock is let go meanwhile, and what is removed is what
        // the record holds once it is taken again.
        const RecordPair shown = readRecordPair(RecordLock(choice.folder));
        if (shown.score.isEmpty() && shown.name.isEmpty())
            return {ExitStatus::Normal, kAlreadyEmpty.arg(choice.folder), {}};
        if (!confirm(kResetQuestion.arg(choice.folder, visibleText(shown.score), visibleText(shown.name))))
            return {ExitStatus::Failure, kResetKept.toString(), {}};
        const RecordLock lock(choice.folder);
        const RecordPair removed = readRecordPair(lock);
        clearRecordPair(lock);
        return {ExitStatus::Normal,
                kResetDone.arg(choice.folder, visibleText(removed.score), visibleText(removed.name)),
                {}};
    } catch (const RecordFileError& error) {
        return {ExitStatus::Failure, {}, kResetFailed.arg(error.path(), error.reason())};
    }
}

} // namespace brivadoro
