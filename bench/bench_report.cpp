#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "bench_application.h"
#include "support/diary_files.h"
#include "support/environment_value.h"
#include "support/record_folder.h"
#include "timings.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;

namespace {

constexpr int kGames = 100'000;
constexpr int kAccounts = 30;
// Spare accounts the diary's files are given to when the bench runs as root.
constexpr uid_t kFirstSpareAccount = 64100;
constexpr int kRuns = 5;
constexpr double kLimitMs = 1000;
constexpr double kPdfLimitMs = 2000;
constexpr qint64 kPdfSizeLimit = qint64{2} * 1000 * 1000;
constexpr long kMemoryLimitKiB = 64L * 1000 * 1000 / 1024;
constexpr int kDaysInDecember = 31;
constexpr int kHighestScore = 60;

// A class's year of games: each account's file with its pupil's games, one in twenty typed in
// capitals, spread over the days of a month.
void writeClassDiary(const testing::RecordFolder& records) {
    for (int account = 0; account < kAccounts; ++account) {
        QList<DiaryEntry> games;
        for (int game = account; game < kGames; game += kAccounts) {
            const QString name = u"Alunno %1"_s.arg(account + 1);
            const QString day = u"2026-12-%1"_s.arg(game % kDaysInDecember + 1, 2, 10, QChar(u'0'));
            games << testing::diaryGame(game % 20 == 0 ? name.toUpper() : name,
                                        game % (kHighestScore + 5) - 5, day);
        }
        const uid_t owner = ::geteuid() == 0 ? uid_t(kFirstSpareAccount + account) : testing::kSameOwner;
        testing::writeDiaryFile(records, u"alunno%1"_s.arg(account + 1), testing::diaryBytes(games), owner);
    }
}

// Runs the real program with the arguments, kRuns times, and times each run to its end.
bench::Timings timeProgram(const QStringList& arguments) {
    const QString program = QCoreApplication::applicationDirPath() + u"/../brivadoro"_s;
    bench::Timings samples;
    for (int run = 0; run < kRuns; ++run) {
        QProcess process;
        // No display at all: the printed report draws offscreen.
        process.setProcessEnvironment(testing::withoutDisplay());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        samples.time([&] {
            process.start(program, arguments);
            process.waitForFinished(-1);
        });
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            std::printf("%s %s: status %d\n", qPrintable(program), qPrintable(arguments.join(u' ')),
                        process.exitCode());
    }
    return samples;
}

} // namespace

// Times --report, --report --output x.csv and --report --output x.pdf over a diary of 100 000 games, as the
// real program, and checks the largest memory any run took; exits 1 when a figure is over its limit.
int main(int argc, char* argv[]) {
    // cppcheck-suppress unreadVariable ; the application must live while main runs
    const auto app = bench::startApplication(argc, argv);
    const testing::RecordFolder records;
    writeClassDiary(records);
    std::printf("diary of %d games of %d accounts in %s, owned by %s\n", kGames, kAccounts,
                qPrintable(records.path(u"diario/")), ::geteuid() == 0 ? "30 accounts" : "this account");
    bool within =
        timeProgram({u"--report"_s}).report("--report, text", bench::Timings::Figure::Median, kLimitMs);
    const QString csv = records.home() + u"/partite.csv"_s;
    within = timeProgram({u"--report"_s, u"--output"_s, csv})
                 .report("--report --output x.csv", bench::Timings::Figure::Median, kLimitMs) &&
             within;
    const QString pdf = records.home() + u"/diario.pdf"_s;
    within = timeProgram({u"--report"_s, u"--output"_s, pdf})
                 .report("--report --output x.pdf", bench::Timings::Figure::Median, kPdfLimitMs) &&
             within;
    const qint64 pdfSize = QFileInfo(pdf).size();
    const bool compact = pdfSize > 0 && pdfSize <= kPdfSizeLimit;
    std::printf("%-44s size %6.1f MB  limit %.1f MB %s\n", "--report --output x.pdf, the file",
                double(pdfSize) / 1e6, double(kPdfSizeLimit) / 1e6, compact ? "ok" : "OVER");
    within = compact && within;
    // Every game read, or the timings mean nothing.
    QFile written(csv);
    const qsizetype rows = written.open(QIODevice::ReadOnly) ? written.readAll().count('\n') - 1 : -1;
    if (rows != kGames) {
        std::printf("the CSV file holds %lld games, not %d\n", static_cast<long long>(rows), kGames);
        within = false;
    }
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    const bool small = children.ru_maxrss <= kMemoryLimitKiB;
    std::printf("%-44s peak %6.1f MB  limit %.1f MB %s\n", "--report, largest run's memory",
                double(children.ru_maxrss) * 1024 / 1e6, double(kMemoryLimitKiB) * 1024 / 1e6,
                small ? "ok" : "OVER");
    return within && small ? 0 : 1;
}
