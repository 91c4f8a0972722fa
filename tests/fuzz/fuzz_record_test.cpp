#include <cstdint>

#include "fuzz_check.h"
#include "records/record_text.h"

using namespace brivadoro;
using namespace brivadoro::fuzzing;

namespace {
constexpr char kSeparator = '|';
constexpr int kHighestScore = 32767;
} // namespace

// "<score label>|<record file>": the record test with the score label as given and with play's own
// labels, against a record file's content as start-up reads it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(data, qsizetype(size));
    const qsizetype separator = input.indexOf(kSeparator);
    const QString scoreText = decodeRecordText(separator < 0 ? input : input.first(separator));
    const QString record = decodeRecordText(separator < 0 ? QByteArrayView() : input.sliced(separator + 1));

    const bool beaten = beatsRecord(record, scoreText);
    if (!scoreValue(scoreText))
        require(!beaten, "a score that is no number beats nothing");

    bool isScore = false;
    const int score = scoreText.trimmed().toShort(&isScore);
    if (!isScore)
        return 0;
    const QString afterHit = playLabel(score, true);
    const QString afterMiss = playLabel(score, false);
    require(beatsRecord(record, afterHit) == beatsRecord(record, afterMiss),
            "the blank before a hit's score changes nothing");
    if (score < kHighestScore && beatsRecord(record, afterHit))
        require(beatsRecord(record, playLabel(score + 1, false)),
                "a higher score beats what a lower one beats");

    // The record as the end of game stores it from either label, and start-up reads it back.
    for (const QString& stored : {afterHit, afterMiss}) {
        const QString storedRecord = decodeRecordText(encodeRecordLine(stored));
        require(!beatsRecord(storedRecord, afterHit) && !beatsRecord(storedRecord, afterMiss),
                "an equal score is no new record");
        if (score < kHighestScore)
            require(beatsRecord(storedRecord, playLabel(score + 1, false)), "one point more is a new record");
    }
    return 0;
}
