#include <QApplication>
#include <QTimer>

#include "game/game.h"
#include "records/record_files.h"
#include "sound/sdl_player.h"
#include "toolkit/application_setup.h"
#include "toolkit/command_line.h"
#include "toolkit/program_control.h"
#include "toolkit/qt_dialogs.h"
#include "toolkit/random_source.h"

int main(int argc, char* argv[]) {
    // --help, --version, --reset-record and a mistyped option are answered before QApplication,
    // which needs a display; the options that may be Qt's own wait until QApplication has taken
    // those out.
    if (const auto status = brivadoro::answerCommandLine(
            brivadoro::argumentsOf(argc, argv), brivadoro::QtOptions::NotYetRemoved, brivadoro::resetRecord))
        return *status;
    QApplication app(argc, argv);
    if (const auto status = brivadoro::answerCommandLine(
            QApplication::arguments(), brivadoro::QtOptions::Removed, brivadoro::resetRecord))
        return *status;
    brivadoro::configureApplication(app);

    brivadoro::QtDialogs dialogs;
    brivadoro::MixingRandom random;
    brivadoro::SdlPlayer sound;
    brivadoro::ProcessControl program;
    brivadoro::Game game({dialogs, random, sound, program});
    // At the first turn of the name box's event loop, once the box is on screen: the sound system
    // then does not compete with the program's start for the processor and the disk.
    QTimer::singleShot(0, &app, [&sound] { sound.start(); });
    game.start();
    return QApplication::exec();
}
