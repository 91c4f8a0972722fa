// Times the targets' handlers offscreen with scripted boxes and a recording sound: a hit, a miss
// (its warning answered at once), a motion tick and a launch.

#include <QApplication>

#include "bench_application.h"
#include "game/game.h"
#include "support/doubles.h"
#include "timings.h"

using namespace brivadoro;

namespace {

constexpr int kRuns = 1000;

template <typename Handler> void timeHandler(const char* name, Game& game, TargetId shown, Handler handler) {
    bench::Timings timings;
    for (int run = 0; run < kRuns; ++run) {
        game.board().target(shown).setVisible(true);
        QApplication::processEvents();
        timings.time([&] { (game.*handler)(); });
    }
    timings.report(name);
}

} // namespace

int main(int argc, char* argv[]) {
    // cppcheck-suppress unreadVariable ; the application must live while main runs
    const auto app = bench::startApplication(argc, argv);
    testing::TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.cmdNext_Click();
    game.board().show();
    QApplication::processEvents();

    timeHandler("hit (paricmd_Click)", game, TargetId::paricmd, &Game::paricmd_Click);
    timeHandler("miss, warning stubbed (disparicmd2)", game, TargetId::disparicmd2, &Game::disparicmd2_Click);
    timeHandler("motion tick (Timer2_Timer)", game, TargetId::paricmd, &Game::Timer2_Timer);
    timeHandler("launch (Form_Click)", game, TargetId::paricmd, &Game::Form_Click);
    return 0;
}
