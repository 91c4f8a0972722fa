#include "diary_writer.h"

namespace brivadoro {

QString appendDiaryEntry(const RecordFolderChoice& /*choice*/, const DiaryEntry& /*entry*/,
                         const RecordLock* /*held*/) {
    return {};
}

} // namespace brivadoro
