#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "cycled_records.h"
#include "records/record_pair.h"
#include "records/record_paths.h"

using namespace brivadoro;

namespace {

bool waitForLine() {
    std::array<char, 16> line{};
    return std::fgets(line.data(), int(line.size()), stdin) != nullptr;
}

void say(const char* line) {
    std::puts(line);
    std::fflush(stdout);
}

// Writes the cycled record; with holding, prints "held" once the lock is taken and waits for a line.
void writeCycled(const QString& folder, unsigned long number, bool holding = false) {
    const auto records = testing::cycledRecords();
    const auto& [score, name] = records.at(number % records.size());
    const RecordLock lock(folder);
    if (holding) {
        say("held");
        waitForLine();
    }
    writeRecordPair(lock, score, name);
}

} // namespace

// record_writer_helper FOLDER STORED NEXT: writes the cycled record STORED again twice, as the game
// writes, and prints "ready" with the microseconds the second write took; then, on a line from its
// input, writes record NEXT, prints "written" and waits to be killed. tst_record_kill kills it at
// random moments of that last write, which runs as warm as the one timed.
// record_writer_helper FOLDER hold NEXT: takes the lock, prints "held", and on a line from its input
// writes record NEXT and ends: a game that holds the records while another waits.
// cppcheck-suppress constParameter ; main's argv is char*[] by the language
int main(int argc, char* argv[]) {
    if (argc != 4)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (std::string_view(argv[2]) == "hold") {
        writeCycled(folder, std::strtoul(argv[3], nullptr, 10), true);
        return 0;
    }
    const unsigned long stored = std::strtoul(argv[2], nullptr, 10);
    writeCycled(folder, stored); // the first write in a process also pays for loading what it uses
    const auto start = std::chrono::steady_clock::now();
    writeCycled(folder, stored);
    const auto took =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::printf("ready %lld\n", static_cast<long long>(took.count()));
    std::fflush(stdout);
    if (!waitForLine())
        return 1;
    writeCycled(folder, std::strtoul(argv[3], nullptr, 10));
    say("written");
    waitForLine();
    return 0;
}
