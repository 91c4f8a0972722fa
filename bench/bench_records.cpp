#include <QApplication>
#include <QElapsedTimer>

#include <sys/stat.h>

#include <QDateTime>
#include <QDir>

#include "bench_application.h"
#include "diary/diary_writer.h"
#include "game/game.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "support/doubles.h"
#include "support/record_folder.h"
#include "timings.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;

namespace {

constexpr double kLimitMs = 50;
constexpr int kRuns = 100;
// The end of game with a beaten record, in a class's folder (group-shared, mode 2775) on the local
// disk: the lock, the pair read again, the commit point and the folder's two syncs.
constexpr double kEndMedianLimitMs = 5;
constexpr double kEndWorstLimitMs = 20;
constexpr int kEndRuns = 200;
// One entry added to the diary, synced, in the class's prepared diario/.
constexpr double kDiaryMedianLimitMs = 2;
constexpr int kDiaryRuns = 200;

// The program's end as a moment in time; throws, as the real end never returns.
class TimedProgram final : public ProgramControl {
public:
    explicit TimedProgram(QElapsedTimer& clock) : clock_(clock) {}
    void endProgram(int status) override {
        endedAtNs = clock_.nsecsElapsed();
        throw testing::ProgramEnded{status};
    }
    qint64 endedAtNs = 0;

private:
    QElapsedTimer& clock_;
};

double msBetween(qint64 fromNs, qint64 toNs) {
    return double(toNs - fromNs) / 1e6;
}

bench::Timings recordRoundTrips(const testing::RecordFolder& records) {
    bench::Timings samples;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        writeRecordPair(RecordLock(records.folder()), u" %1"_s.arg(run + 1), u"Zoë"_s);
        const RecordsAtStartup shown = testing::openChosenRecordFiles();
        samples.add(msBetween(0, clock.nsecsElapsed()));
        if (!shown.error.isEmpty())
            std::printf("%s\n", qPrintable(shown.error));
    }
    return samples;
}

// From the goodbye's close to the exit call, on the longest path: the record read again under the
// lock, beaten, written and congratulated.
bench::Timings endsOfGame(const testing::RecordFolder& records, bool diary) {
    Settings settings = readSettings();
    settings.diary = diary;
    bench::Timings samples;
    for (int run = 0; run < kEndRuns; ++run) {
        records.write(kScoreFileName, " 1\r\n");
        QElapsedTimer clock;
        clock.start();
        testing::TestWorld world;
        TimedProgram program(clock);
        Game game({world.dialogs, world.random, world.sound, program}, settings);
        game.Form_Load();
        game.board().lblpunti().setCaption(u" 1\r\n"_s);
        game.board().Punteggio().setCaption(u" 15"_s);
        game.board().lblnome1().setCaption(u"Anna"_s);
        qint64 goodbyeClosedNs = 0;
        world.dialogs.answer({MessageAnswer::Ok, {}, [&] { goodbyeClosedNs = clock.nsecsElapsed(); }});
        try {
            game.cmdExit_Click();
        } catch (const testing::ProgramEnded&) { // NOLINT(bugprone-empty-catch): the end the bench waits for
        }
        samples.add(msBetween(goodbyeClosedNs, program.endedAtNs));
    }
    return samples;
}

bench::Timings diaryEntries() {
    const RecordFolderChoice folder = chooseRecordFolder(readSettings());
    const DiaryEntry entry{diaryTime(QDateTime::currentDateTime()), u"Zoë"_s, 15, 16, 0, GameEnd::Exit};
    bench::Timings samples;
    for (int run = 0; run < kDiaryRuns; ++run) {
        QElapsedTimer clock;
        clock.start();
        const QString failure = appendDiaryEntry(folder, entry, nullptr);
        samples.add(msBetween(0, clock.nsecsElapsed()));
        if (!failure.isEmpty())
            std::printf("%s\n", qPrintable(failure));
    }
    return samples;
}

} // namespace

// Times the record's write and read-back and the end of game; exits 1 when a run reaches the limit.
int main(int argc, char* argv[]) {
    // cppcheck-suppress unreadVariable ; the application must live while main runs
    const auto app = bench::startApplication(argc, argv);
    const testing::RecordFolder records(testing::Sharing::Class);
    testing::openChosenRecordFiles();
    std::printf("records folder: %s\n", qPrintable(GetSystemDir(readSettings())));
    bool within = recordRoundTrips(records).report("record written and read back",
                                                   bench::Timings::Figure::Worst, kLimitMs);
    // The diary's folder as the class's administrator makes it.
    QDir().mkpath(records.folder() + u"diario"_s);
    QFile::setPermissions(records.folder() + u"diario"_s, QFile::ReadOwner | QFile::WriteOwner |
                                                              QFile::ExeOwner | QFile::ReadGroup |
                                                              QFile::WriteGroup | QFile::ExeGroup);
    ::chmod(QFile::encodeName(records.folder() + u"diario"_s).constData(), 03770);
    within = diaryEntries().report("diary entry added and synced", bench::Timings::Figure::Median,
                                   kDiaryMedianLimitMs) &&
             within;
    endsOfGame(records, false)
        .report("end of game without the diary", bench::Timings::Figure::Median, kEndMedianLimitMs);
    bench::Timings ends = endsOfGame(records, true);
    within = ends.report("end of game, goodbye closed to exit call", bench::Timings::Figure::Median,
                         kEndMedianLimitMs) &&
             within;
    within = ends.report("end of game, goodbye closed to exit call", bench::Timings::Figure::Worst,
                         kEndWorstLimitMs) &&
             within;
    return within ? 0 : 1;
}
