#pragma once

#include <QString>
#include <QStringView>

#include "records/record_folder.h"
#include "toolkit/command_line.h"

namespace brivadoro {

// The diary's folder inside the records folder: one file per account, each account's own.
inline constexpr QStringView kDiaryFolderName = u"diario";

// Whether the diary of a records folder can be trusted, checked anew at every game and every report,
// since a pupil may rename the folder and make another.
struct DiaryFolder {
    QString path;         // the records folder's diario/, with its trailing "/"
    QString problem;      // why no diary is kept there; empty when it can be trusted
    QString remedy;       // the administrator's command that mends it, when there is one
    bool missing = false; // the player's own diario/ not made yet, which the first entry makes
    bool classFolder = false;
};

// In a class's folder diario/ must be the administrator's: a real folder (no link), sticky, owned by
// root or by the records folder's owner, which the group may write; the game never makes it. In the
// player's own folder, a real folder of this account's, or none yet.
DiaryFolder checkDiaryFolder(const RecordFolderChoice& choice);

// The name of the account's own diary file: its login name (its number when the system has no name
// for it); where another account holds that name, the login, a dash and the account's number.
QString diaryFileName(uid_t account, bool loginTaken);

// --show-record, followed by what it says of the diary: the Diary setting, and, when the diary is
// kept, what keeps it from being kept here and the command that mends it (status 1), or a share that
// gives every file one owner, where the diary cannot tell the pupils apart (status 1).
CommandLineAnswer showRecordAndDiary(const Settings& settings);

} // namespace brivadoro
