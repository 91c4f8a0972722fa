// The board full screen at 3840x2160, offscreen: the rescale from the design size (layout and first
// paint), and a motion tick and a hit with the repaint they cause. build/bench/bench_screen; exits 1
// over a limit.
#include <QApplication>

#include "bench_application.h"
#include "game/game.h"
#include "support/doubles.h"
#include "timings.h"

using namespace brivadoro;

namespace {

constexpr QSize kFullScreen{3840, 2160};
constexpr int kRescales = 40;
constexpr int kRuns = 1000;
constexpr double kRescaleLimitMs = 50.0;
constexpr double kFrameTenthMs = 1000.0 / 60 / 10;

// The handler alone, then the handler with the repaint of what it changed.
template <typename Handler> bool timeAtFullScreen(const char* name, Game& game, Handler handler) {
    bench::Timings alone;
    bench::Timings painted;
    for (int run = 0; run < kRuns; ++run) {
        game.board().target(TargetId::paricmd).setVisible(true);
        QApplication::processEvents();
        alone.time([&] { (game.*handler)(); });
        game.board().target(TargetId::paricmd).setVisible(true);
        QApplication::processEvents();
        painted.time([&] {
            (game.*handler)();
            game.board().repaint();
        });
    }
    const bool within = alone.report(name, bench::Timings::Figure::Median, kFrameTenthMs);
    painted.report("  with its repaint");
    return within;
}

} // namespace

int main(int argc, char* argv[]) {
    // cppcheck-suppress unreadVariable ; the application must live while main runs
    const auto app = bench::startApplication(argc, argv);
    testing::TestWorld world;
    Game game(world.services());
    game.cmdNext_Click();
    Tavola& board = game.board();
    board.show();
    QApplication::processEvents();
    const QSize designWindow = board.size();

    bench::Timings rescale;
    for (int run = 0; run < kRescales; ++run) {
        rescale.time([&] {
            board.resize(kFullScreen);
            board.repaint();
        });
        board.resize(designWindow);
        QApplication::processEvents();
    }
    bool within = rescale.report("rescale to 3840x2160, layout and first paint",
                                 bench::Timings::Figure::Median, kRescaleLimitMs);

    board.resize(kFullScreen);
    QApplication::processEvents();
    game.Form_Click();
    within = timeAtFullScreen("motion tick at 3840x2160 (Timer2_Timer)", game, &Game::Timer2_Timer) && within;
    within = timeAtFullScreen("hit at 3840x2160 (paricmd_Click)", game, &Game::paricmd_Click) && within;
    return within ? 0 : 1;
}
