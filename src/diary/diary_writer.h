#pragma once

#include <QString>

#include "diary_line.h"
#include "records/record_folder.h"
#include "records/record_lock.h"

namespace brivadoro {

// Adds the entry to this account's own file of the diary of the chosen records folder, synced, under
// the records lock: the one held, when the record's step took it, or one of its own. Returns one
// line for standard error naming the file and the reason when no entry could be added; empty when
// it was. Never touches the record, and never follows a link or writes into another account's file.
QString appendDiaryEntry(const RecordFolderChoice& choice, const DiaryEntry& entry, const RecordLock* held);

} // namespace brivadoro
