#include <QApplication>
#include <QTimer>

#include "game/game.h"
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
    // At the first turn of the name box's event loop, once the box is on screen: the sound system
    // then does not compete with the program's start for the processor and the disk.
    QTimer::singleShot(0, &app, [&sound] { sound.start(); });
    game.start();
    return QApplication::exec();
}
