#include <cmath>

#include <QApplication>
#include <QElapsedTimer>

#include "bench_application.h"
#include "game/game.h"
#include "support/doubles.h"
#include "timings.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;

namespace {
constexpr int kTicks = 60;
constexpr double kLimitMs = 50;
constexpr double kTickMs = 1000;
} // namespace

// Runs the real countdown for 60 ticks and measures how far its last tick lies from wall-clock time;
// exits 1 when the drift reaches 50 ms.
int main(int argc, char* argv[]) {
    const auto app = bench::startApplication(argc, argv);
    testing::TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.Form_Load();
    BoardTimer& timer = game.board().Timer1();

    QElapsedTimer wallClock;
    bench::Timings lateness;
    double lastLatenessMs = 0;
    QObject::connect(&timer, &QTimer::timeout, app.get(), [&] {
        const double elapsedMs = double(wallClock.nsecsElapsed()) / 1e6;
        const double dueMs = kTickMs * double(lateness.count() + 1);
        lastLatenessMs = elapsedMs - dueMs;
        lateness.add(lastLatenessMs);
        if (lateness.count() == kTicks)
            QApplication::quit();
    });
    timer.setEnabled(false);
    game.board().lblconto().setCaption(u"00:05:00"_s);
    wallClock.start();
    game.resetClock();
    QApplication::exec();

    const double drift = lastLatenessMs;
    std::printf("after %d ticks the clock shows %s\n", kTicks, qPrintable(game.board().lblconto().caption()));
    lateness.report("countdown tick lateness from wall clock", bench::Timings::Figure::Worst, kLimitMs);
    std::printf("drift over %d ticks: %.3f ms (limit %.0f ms) %s\n", kTicks, drift, kLimitMs,
                std::abs(drift) < kLimitMs ? "ok" : "OVER");
    return std::abs(drift) < kLimitMs ? 0 : 1;
}
