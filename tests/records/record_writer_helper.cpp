#include <cstdio>
#include <cstdlib>

#include "cycled_records.h"
#include "records/record_files.h"

using namespace brivadoro;

// record_writer_helper FOLDER FIRST: rewrites the record pair in FOLDER for ever, through the
// cycled records from number FIRST on, and prints "writing" as it begins; tst_record_kill kills it
// at random moments.
int main(int argc, char* argv[]) {
    if (argc != 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const auto records = testing::cycledRecords();
    std::puts("writing");
    std::fflush(stdout);
    for (std::size_t next = std::strtoul(argv[2], nullptr, 10);; ++next) {
        const auto& [score, name] = records[next % records.size()];
        writeRecordPair(folder, score, name);
    }
}
