#include <cstdint>
#include <optional>

#include "diary/diary_line.h"
#include "fuzz_check.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::fuzzing::require;

namespace {

constexpr qsizetype kChosenBytes = 4;

bool sameEntry(const DiaryEntry& one, const DiaryEntry& other) {
    return one.ended == other.ended && one.name == other.name && one.score == other.score &&
           one.hits == other.hits && one.misses == other.misses && one.end == other.end;
}

// A valid entry that the fuzzer chooses: its score, hits, misses and end from the first bytes, its
// name from the rest, as any text the name box could hold.
DiaryEntry chosenEntry(QByteArrayView input) {
    const auto byte = [&](qsizetype at) {
        return at < input.size() ? static_cast<unsigned char>(input[at]) : 0;
    };
    const QString name =
        QString::fromUtf8(input.size() > kChosenBytes ? input.sliced(kChosenBytes) : QByteArrayView());
    return {u"2026-12-10T12:50:39+01:00"_s,
            name,
            static_cast<std::int8_t>(byte(0)) * 3,
            byte(1),
            byte(2),
            byte(3) % 2 == 0 ? GameEnd::Time : GameEnd::Exit};
}

} // namespace

// Reads the input as a line of the diary: never a crash, a line the decoder takes comes back the same
// when written again, and an entry written from the input is read back as it was.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(data, qsizetype(size));
    if (const std::optional<DiaryEntry> read = decodeDiaryLine(input)) {
        require(read->hits >= 0 && read->misses >= 0, "hits and misses are never negative");
        const std::optional<DiaryEntry> again = decodeDiaryLine(encodeDiaryLine(*read).chopped(1));
        require(again && sameEntry(*again, *read), "a decoded entry is written and read back unchanged");
    }
    const DiaryEntry entry = chosenEntry(input);
    const QByteArray line = encodeDiaryLine(entry);
    require(line.endsWith('\n') && line.count('\n') == 1, "an entry is one line");
    const std::optional<DiaryEntry> back = decodeDiaryLine(line.chopped(1));
    require(back && sameEntry(*back, entry), "an entry is read back as it was written");
    return 0;
}
