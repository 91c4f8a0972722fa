#include <memory>
#include <utility>

#include <QApplication>
#include <QTimer>

#include "diary/diary_folder.h"
#include "game/game.h"
#include "records/record_commands.h"
#include "records/record_folder.h"
#include "report/report_command.h"
#include "sound/sdl_player.h"
#include "sound/silent_player.h"
#include "toolkit/application_setup.h"
#include "toolkit/command_line.h"
#include "toolkit/program_control.h"
#include "toolkit/qt_dialogs.h"
#include "toolkit/random_source.h"

int main(int argc, char* argv[]) {
    // --help, --version, the records' commands and a mistyped option are answered before
    // QApplication, which needs a display; the options that may be Qt's own wait until QApplication
    // has taken those out.
    const brivadoro::RecordCommands records{&brivadoro::showRecordAndDiary, &brivadoro::resetRecord,
                                            &brivadoro::reportDiary};
    if (const auto early = brivadoro::answerCommandLine(brivadoro::argumentsOf(argc, argv),
                                                        brivadoro::QtOptions::NotYetRemoved, records);
        early.exitStatus)
        return *early.exitStatus;
    QApplication app(argc, argv);
    const auto answer =
        brivadoro::answerCommandLine(QApplication::arguments(), brivadoro::QtOptions::Removed, records);
    if (answer.exitStatus)
        return *answer.exitStatus;
    // The settings are read once, here; the mistakes found in them are told on standard error.
    brivadoro::Settings settings = brivadoro::readSettings(answer);
    brivadoro::printErrorLines(settings.config.mistakes);
    if (const QString mistake = brivadoro::recordFolderMistake(brivadoro::chooseRecordFolder(settings));
        !mistake.isEmpty())
        brivadoro::printErrorLines({mistake});
    brivadoro::configureApplication(app);

    brivadoro::QtDialogs dialogs;
    brivadoro::MixingRandom random;
    // A silent game never makes the SDL player, so the sound library is never loaded.
    std::unique_ptr<brivadoro::SoundPlayer> sound = std::make_unique<brivadoro::SilentPlayer>();
    if (settings.sound) {
        auto player = std::make_unique<brivadoro::SdlPlayer>();
        // At the first turn of the name box's event loop, once the box is on screen: the sound
        // system then does not compete with the program's start for the processor and the disk.
        QTimer::singleShot(0, &app, [started = player.get()] { started->start(); });
        sound = std::move(player);
    }
    brivadoro::ProcessControl program;
    const bool fullScreen = settings.fullScreen;
    brivadoro::Game game({dialogs, random, *sound, program}, std::move(settings));
    game.start(fullScreen ? brivadoro::WindowStart::FullScreen : brivadoro::WindowStart::Fitted);
    return QApplication::exec();
}
