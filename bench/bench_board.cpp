// The new question's cost, offscreen: build/bench/bench_board. Exits 1 over the limit.
#include <QApplication>

#include "bench_application.h"
#include "game/game.h"
#include "support/doubles.h"
#include "timings.h"

using namespace brivadoro;

namespace {
constexpr int kRuns = 2000;
constexpr double kLimitMs = 1.0;
} // namespace

int main(int argc, char* argv[]) {
    const auto app = bench::startApplication(argc, argv);
    testing::TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.Form_Load();
    game.board().show();
    QApplication::processEvents();

    bench::Timings question;
    for (int run = 0; run < kRuns; ++run)
        question.time([&] { game.cmdNext_Click(); });
    return question.report("cmdNext_Click (256 stripes and all)", bench::Timings::Figure::Median, kLimitMs)
               ? 0
               : 1;
}
