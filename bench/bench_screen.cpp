// The board full screen at 3840x2160, offscreen: the rescale from the design size (layout and first
// paint), a motion tick and a hit with the repaint they cause, and a new game from the greeting's
// close to the new board painted, full screen and at the design size. build/bench/bench_screen;
// exits 1 over a limit.
#include <chrono>

#include <QApplication>
#include <QTemporaryFile>
#include <QWindow>

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
constexpr int kNewGames = 20;
constexpr double kNewGameLimitMs = 250.0;
// The offscreen platform's one screen: a whiteboard's.
constexpr QByteArrayView kWhiteboardScreen = R"({"screens": [{"name": "whiteboard", "x": 0, "y": 0,
    "width": 3840, "height": 2160, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";

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

// "Nuovo gioco" answered Sì, from the greeting's close to the new board shown and painted whole.
bool timeNewGames(const char* name, WindowStart start) {
    testing::TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
    game.start(start);
    bench::Timings newGame;
    for (int run = 0; run < kNewGames; ++run) {
        std::chrono::steady_clock::time_point greetingClosed;
        world.dialogs.answer({MessageAnswer::Yes, {}, {}});
        world.dialogs.answer({MessageAnswer::Ok, QStringLiteral("Anna"), {}});
        world.dialogs.answer(
            {MessageAnswer::Ok, {}, [&] { greetingClosed = std::chrono::steady_clock::now(); }});
        game.Next_Click();
        Tavola& board = game.board();
        while (!board.windowHandle()->isExposed())
            QApplication::processEvents();
        board.repaint();
        newGame.add(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - greetingClosed)
                .count());
        QApplication::processEvents(); // the old board's deferred deletion
    }
    return newGame.report(name, bench::Timings::Figure::Median, kNewGameLimitMs);
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryFile screens;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && screens.open() &&
        screens.write(kWhiteboardScreen.data(), kWhiteboardScreen.size()) == kWhiteboardScreen.size() &&
        screens.flush())
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    // cppcheck-suppress unreadVariable ; the application must live while main runs
    const auto app = bench::startApplication(argc, argv);
    testing::TestWorld world;
    Game game(world.services(), brivadoro::readSettings());
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
    within = timeNewGames("new game at 3840x2160, full screen", WindowStart::FullScreen) && within;
    within = timeNewGames("new game at the design size", WindowStart::Fitted) && within;
    return within ? 0 : 1;
}
