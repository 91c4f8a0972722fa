#include <cstdio>

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "board/game.h"
#include "clock/clock_display.h"
#include "records/record_files.h"
#include "sound/silent_player.h"
#include "toolkit/application_setup.h"
#include "toolkit/program_control.h"
#include "toolkit/qt_dialogs.h"
#include "toolkit/random_source.h"

using namespace brivadoro;

namespace {
constexpr QStringView kWarning = u"Hai sbagliato";
constexpr int kFastTickMs = 100;
constexpr int kPlayerReactionMs = 10;
} // namespace

// Plays the last moment of a game with the real boxes and the real program end: a handler holds a
// miss warning open when the clock's tick finds 00:00:00. Whatever prints "resumed" ran after the
// end, which must never happen; the record written proves the end itself ran.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    configureApplication(app);
    QtDialogs dialogs;
    MixingRandom random;
    SilentPlayer sound;
    ProcessControl program;
    Game game({dialogs, random, sound, program});
    // The player answers the start-up boxes, closes the goodbye and the congratulation at once, and
    // leaves the warning open.
    QTimer player;
    QObject::connect(&player, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* input = qobject_cast<QInputDialog*>(modal))
            input->accept();
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box != nullptr && box->text() != kWarning)
            box->defaultButton()->click();
    });
    player.start(kPlayerReactionMs);

    const RecordsAtStartup records = openRecordFiles(game.state());
    game.board().lblpunti().setCaption(records.score);
    game.board().Punteggio().setCaption(u" 15"_qs);
    game.board().lblnome1().setCaption(u"Zoë"_qs);
    game.board().lblconto().setCaption(kClockAtZero.toString());
    game.board().Timer1().setInterval(kFastTickMs);

    QTimer::singleShot(0, &app, [&dialogs] {
        std::puts("warning open");
        dialogs.messageBox(kWarning.toString(), MessageStyle::IconExclamation);
        std::puts("resumed after the warning");
    });
    QApplication::exec();
    std::puts("resumed after the event loop");
    return 1;
}
