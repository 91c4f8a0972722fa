#include <algorithm>
#include <cstdint>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include "fuzz_check.h"
#include "records/record_paths.h"
#include "records/record_reading.h"
#include "records/record_text.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;
using brivadoro::fuzzing::require;

namespace {

// An input that starts with this byte asks for a file that crosses the reading limit.
constexpr char kAcrossTheLimit = '+';
constexpr int kMostBytesBeforeTheLimit = 8;

// The file's bytes. "+", a digit d, a filler byte f, then the rest: f repeated up to d bytes before
// the reading limit, followed by the rest. Any other input is the file itself.
QByteArray fileBytes(QByteArrayView input) {
    if (input.size() < 3 || input[0] != kAcrossTheLimit)
        return input.toByteArray();
    const qsizetype before = static_cast<unsigned char>(input[1]) % (kMostBytesBeforeTheLimit + 1);
    return QByteArray(kRecordReadLimit - before, input[2]) + input.sliced(3).toByteArray();
}

// Each byte as Windows-1252 reads it, where that is the byte's own code.
bool isOneCharacterPerByte(const QString& text, QByteArrayView bytes) {
    if (text.size() != bytes.size())
        return false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if ((byte < 0x80 || byte > 0x9F) && text[i].unicode() != byte)
            return false;
    }
    return true;
}

bool isValidUtf8(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString ignored = utf8(bytes);
    return !utf8.hasError();
}

QByteArrayView withoutByteOrderMark(QByteArrayView bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
            "the scratch file can be written");
}

} // namespace

// Reads the input as a record file and checks what comes back against the bytes themselves.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fileBytes(QByteArrayView(data, qsizetype(size)));
    const QString path =
        QDir::temp().filePath(u"brivadoro-fuzz-%1.txt"_s.arg(QCoreApplication::applicationPid()));
    writeFile(path, bytes);
    const QString text = Leggifiletxt(path);

    const bool cut = bytes.size() > kRecordReadLimit;
    const QByteArrayView read = QByteArrayView(bytes).first(std::min(bytes.size(), kRecordReadLimit));
    const QByteArray asUtf8 = text.toUtf8();
    require(text.size() <= read.size(), "never more characters than bytes read");
    if (isValidUtf8(read))
        require(asUtf8 == withoutByteOrderMark(read), "valid UTF-8 is read as UTF-8");
    if (cut) {
        // What a cut sequence may take away: at most the three bytes before the limit.
        bool readUpToTheCut = false;
        for (qsizetype dropped = 0; dropped < 4 && !readUpToTheCut; ++dropped) {
            const QByteArrayView kept = read.first(read.size() - dropped);
            readUpToTheCut = asUtf8 == withoutByteOrderMark(kept) || isOneCharacterPerByte(text, kept);
        }
        require(readUpToTheCut, "a file over the limit is read up to the limit, less a cut sequence");
    } else {
        require(isValidUtf8(read) || isOneCharacterPerByte(text, read),
                "anything but UTF-8 is read as Windows-1252");
        // What the end of game would write from this text comes back whole when it fits the limit,
        // as every name the name box takes does; a leading U+FEFF is written as the bytes of a
        // byte-order mark and so read back as one.
        const QByteArray line = encodeRecordLine(text);
        if (line.size() <= kRecordReadLimit && !text.startsWith(QChar(0xFEFF))) {
            writeFile(path, line);
            require(Leggifiletxt(path) == text + u"\r\n"_s, "a written line is read back exactly");
        }
    }
    QFile::remove(path);
    return 0;
}
