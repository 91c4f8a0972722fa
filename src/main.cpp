#include <QApplication>

#include "board/game.h"
#include "sound/mixer_player.h"
#include "toolkit/application_setup.h"
#include "toolkit/program_control.h"
#include "toolkit/qt_dialogs.h"
#include "toolkit/random_source.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    brivadoro::configureApplication(app);

    brivadoro::QtDialogs dialogs;
    brivadoro::MixingRandom random;
    brivadoro::MixerPlayer sound;
    brivadoro::ProcessControl program;
    brivadoro::Game game({dialogs, random, sound, program});
    game.start();
    return QApplication::exec();
}
