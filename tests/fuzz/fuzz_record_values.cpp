#include <algorithm>
#include <cmath>
#include <cstdint>

#include "fuzz_check.h"
#include "records/record_text.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using namespace brivadoro::fuzzing;

namespace {

QString withoutSkippedCharacters(QString text) {
    text.remove(u' ');
    text.remove(u'\t');
    text.remove(u'\n');
    return text;
}

// A 16-bit score from the first two bytes, so that the fuzzer chooses it.
int scoreFrom(QByteArrayView bytes) {
    if (bytes.size() < 2)
        return 0;
    return static_cast<std::int16_t>(static_cast<unsigned char>(bytes[0]) |
                                     (static_cast<unsigned char>(bytes[1]) << 8));
}

} // namespace

// Converts the input, as a record file reads, with both conversions, and checks what each promises.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(data, qsizetype(size));
    const QString text = decodeRecordText(bytes);

    const double record = recordValue(text);
    require(!std::isnan(record), "a record value is never NaN");
    require(recordValue(withoutSkippedCharacters(text)) == record,
            "blanks, tabs and line feeds are skipped wherever they stand");
    if (!std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        require(record == 0, "a text without digits is worth 0");

    const std::optional<double> score = scoreValue(text);
    require(!score || std::isfinite(*score), "a score is finite or nothing");
    require(scoreValue(u"  "_s + text + u"\t"_s) == score, "surrounding blanks change no score");

    const int played = scoreFrom(bytes);
    for (const bool afterHit : {false, true}) {
        const QString label = playLabel(played, afterHit);
        require(scoreValue(label) == double(played), "a score label reads as its score");
        require(recordValue(label + u"\r\n"_s + text) == played, "a stored score reads as its score");
    }
    return 0;
}
