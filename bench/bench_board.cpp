// The board's own handler costs, offscreen: run `QT_QPA_PLATFORM=offscreen build/bench/bench_board`.
#include <QApplication>

#include "bench_util.h"
#include "board/game.h"
#include "sound/silent_player.h"
#include "toolkit/application_setup.h"
#include "toolkit/dialogs.h"
#include "toolkit/program_control.h"
#include "toolkit/random_source.h"

namespace {

class NoDialogs final : public brivadoro::Dialogs {
public:
    int messageBox(const QString&, int, const QString&) override { return brivadoro::MessageAnswer::Ok; }
    QString inputBox(const QString&) override { return {}; }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    brivadoro::configureApplication(app);
    NoDialogs dialogs;
    brivadoro::MixingRandom random(1);
    brivadoro::SilentPlayer sound;
    brivadoro::ProcessControl program;
    brivadoro::Game game({dialogs, random, sound, program});
    game.board().show();
    QApplication::processEvents();

    using brivadoro::bench::measure;
    using brivadoro::bench::report;
    report("cmdNext_Click (256 stripes and all)", measure(2000, [&] { game.cmdNext_Click(); }), 1.0);
    return 0;
}
