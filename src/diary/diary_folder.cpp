#include "diary_folder.h"

#include <QDir>
#include <QFileInfo>

#include "records/file_handle.h"
#include "records/record_commands.h"
#include "records/record_paths.h"
#include "toolkit/program_control.h"

using namespace Qt::StringLiterals;

namespace brivadoro {

namespace {

constexpr QStringView kReasonMissing = u"la cartella del diario non c'è";
constexpr QStringView kReasonLink = u"è un collegamento simbolico, non una cartella";
constexpr QStringView kReasonNotFolder = u"non è una cartella";
constexpr QStringView kReasonNotSticky =
    u"non ha il bit sticky, perciò ogni alunno potrebbe togliere o sostituire i file degli altri";
constexpr QStringView kReasonPupils =
    u"è dell'account %1, non di root né del proprietario della cartella dei record, perciò chi la "
    u"possiede potrebbe cambiare i file degli altri";
constexpr QStringView kReasonGroupCannotWrite = u"il gruppo non può scriverci";
constexpr QStringView kReasonOthers = u"è dell'account %1, non di questo";
constexpr QStringView kRemedyMake = u"install -d -o root -g %1 -m 3770 %2";
constexpr QStringView kRemedyReplace = u"rm %2 && install -d -o root -g %1 -m 3770 %2";
constexpr QStringView kRemedySticky = u"chmod +t %1";
constexpr QStringView kRemedyOwner = u"chown root %1";
constexpr QStringView kRemedyGroup = u"chmod g+rwx %1";

constexpr QStringView kDiaryOff = u"Diario: non tenuto (Diary=false nel file di configurazione %1)\n";
constexpr QStringView kDiaryOn = u"Diario: %1\n";
constexpr QStringView kDiaryNotYet = u"Diario: %1, lo crea il primo gioco\n";
constexpr QStringView kDiaryUntrusted = u"Diario: %1: %2; il gioco non tiene il diario qui.\n";
constexpr QStringView kDiaryRemedy = u"Per rimediare: %1\n";
constexpr QStringView kDiarySquashed =
    u"Diario: in %1 ogni file risulta dell'account %2: la condivisione attribuisce ogni file a un solo "
    u"utente (come NFS con all_squash), perciò il diario non distingue gli alunni e il gioco non ne "
    u"tiene.\n";

// Whether a file's name is one the game gives the diary of the account that owns it.
bool namesItsOwner(const QString& fileName, uid_t owner) {
    return fileName == diaryFileName(owner, false) || fileName == diaryFileName(owner, true);
}

// Whether every file of the folder shows one owner although named for others: a share that squashes
// the accounts into one.
std::optional<uid_t> squashedOwner(const QString& folder) {
    std::optional<uid_t> owner;
    bool misnamed = false;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        const std::optional<FileStatus> file = linkStatus(folder + name);
        if (!file)
            continue;
        if (owner && *owner != file->st_uid)
            return std::nullopt;
        owner = file->st_uid;
        misnamed = misnamed || !namesItsOwner(name, file->st_uid);
    }
    return misnamed ? owner : std::nullopt;
}

} // namespace

QString diaryFileName(uid_t account, bool loginTaken) {
    const QString login = accountName(account);
    return loginTaken ? u"%1-%2"_s.arg(login).arg(account) : login;
}

DiaryFolder checkDiaryFolder(const RecordFolderChoice& choice) {
    DiaryFolder diary{choice.folder + kDiaryFolderName.toString() + u'/',
                      {},
                      {},
                      false,
                      choice.source != FolderSource::PerUser};
    const QString path = choice.folder + kDiaryFolderName.toString();
    const std::optional<FileStatus> records = linkStatus(choice.folder);
    const QString group = records ? groupName(records->st_gid) : u"<gruppo>"_s;
    const std::optional<FileStatus> folder = linkStatus(path);
    const auto untrusted = [&](const QString& problem, const QString& remedy) {
        diary.problem = problem;
        diary.remedy = remedy;
        return diary;
    };
    if (!folder) {
        diary.missing = !diary.classFolder;
        return diary.classFolder ? untrusted(kReasonMissing.toString(), kRemedyMake.arg(group, path)) : diary;
    }
    if (S_ISLNK(folder->st_mode))
        return untrusted(kReasonLink.toString(),
                         diary.classFolder ? kRemedyReplace.arg(group, path) : QString());
    if (!S_ISDIR(folder->st_mode))
        return untrusted(kReasonNotFolder.toString(),
                         diary.classFolder ? kRemedyReplace.arg(group, path) : QString());
    if (!diary.classFolder)
        return folder->st_uid == ::geteuid() ? diary
                                             : untrusted(kReasonOthers.arg(accountName(folder->st_uid)), {});
    if (folder->st_uid != 0 && (!records || folder->st_uid != records->st_uid))
        return untrusted(kReasonPupils.arg(accountName(folder->st_uid)), kRemedyOwner.arg(path));
    if ((folder->st_mode & S_ISVTX) == 0)
        return untrusted(kReasonNotSticky.toString(), kRemedySticky.arg(path));
    if ((folder->st_mode & (S_IWGRP | S_IXGRP)) != (S_IWGRP | S_IXGRP))
        return untrusted(kReasonGroupCannotWrite.toString(), kRemedyGroup.arg(path));
    return diary;
}

CommandLineAnswer showRecordAndDiary(const Settings& settings) {
    CommandLineAnswer answer = showRecord(settings);
    const RecordFolderChoice choice = chooseRecordFolder(settings);
    if (!settings.diary) {
        answer.standardOutput += kDiaryOff.arg(settings.config.diaryFile);
        return answer;
    }
    if (!QFileInfo(choice.folder).isDir())
        return answer; // the record's lines have said why

    const DiaryFolder diary = checkDiaryFolder(choice);
    bool inOrder = diary.problem.isEmpty();
    if (!inOrder) {
        answer.standardOutput += kDiaryUntrusted.arg(diary.path, diary.problem);
        if (!diary.remedy.isEmpty())
            answer.standardOutput += kDiaryRemedy.arg(diary.remedy);
    } else if (diary.missing) {
        answer.standardOutput += kDiaryNotYet.arg(diary.path);
    } else if (const std::optional<uid_t> owner = squashedOwner(diary.path)) {
        answer.standardOutput += kDiarySquashed.arg(diary.path, accountName(*owner));
        inOrder = false;
    } else {
        answer.standardOutput += kDiaryOn.arg(diary.path);
    }
    if (!inOrder)
        answer.exitStatus = ExitStatus::Failure;
    return answer;
}

} // namespace brivadoro
