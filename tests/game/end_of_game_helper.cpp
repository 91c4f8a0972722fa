#include <array>
#include <cstdio>
#include <utility>

#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "clock/clock_display.h"
#include "game/game.h"
#include "records/record_pair.h"
#include "records/record_paths.h"
#include "sound/silent_player.h"
#include "toolkit/application_setup.h"
#include "toolkit/program_control.h"
#include "toolkit/qt_dialogs.h"
#include "toolkit/random_source.h"

using namespace Qt::StringLiterals;
using namespace brivadoro;

namespace {

constexpr QStringView kWarning = u"Hai sbagliato";
constexpr int kFastTickMs = 100;
constexpr int kPlayerReactionMs = 10;

// Plays the last moment of a game with the real boxes and the real program end: a handler holds a
// miss warning open when the clock's tick finds 00:00:00. Whatever prints "resumed" ran after the
// end, which must never happen; the record written proves the end itself ran.
int endDuringAWarning(QApplication& app) {
    QtDialogs dialogs;
    MixingRandom random;
    SilentPlayer sound;
    ProcessControl program;
    Game game({dialogs, random, sound, program}, brivadoro::readSettings());
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

    game.Form_Load(); // shows the stored record
    game.board().Punteggio().setCaption(u" 15"_s);
    game.board().lblnome1().setCaption(u"Zoë"_s);
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

void say(const QByteArray& line) {
    std::puts(line.constData());
    std::fflush(stdout);
}

// Types the player's name and closes every box at once, printing it as "box <text>" on one line.
class PrintingDialogs final : public Dialogs {
public:
    explicit PrintingDialogs(QString name) : name_(std::move(name)) {}
    int messageBox(const QString& text, int /*style*/, const QString& /*title*/) override {
        say("box " + text.toUtf8().replace('\n', "\\n"));
        return MessageAnswer::Ok;
    }
    QString inputBox(const QString& /*prompt*/) override { return name_; }

private:
    QString name_;
};

// Prints how long the end took, from the line that asked for it to the program's end, as
// "ended <ms>", and lets the next game begin.
class TimedEnd final : public ProgramControl {
public:
    void endProgram(int status) override {
        say("ended " + QByteArray::number(sinceEndAsked.elapsed()) + " status " + QByteArray::number(status));
    }
    QElapsedTimer sinceEndAsked;
};

QByteArray nextLine() {
    std::array<char, 16> line{};
    if (std::fgets(line.data(), int(line.size()), stdin) == nullptr)
        return {};
    return QByteArray(line.data()).trimmed();
}

// Plays games one after another under NAME, each ending with SCORE: "start" runs a start-up, which
// reads the record, and answers "ready"; "end" runs the end of game. tst_two_games runs two of
// these against one records folder and chooses who ends when.
int endInTurns(const QString& name, const QString& score) {
    PrintingDialogs dialogs(name);
    MixingRandom random;
    SilentPlayer sound;
    TimedEnd program;
    while (nextLine() == "start") {
        Game game({dialogs, random, sound, program}, brivadoro::readSettings());
        game.start();
        game.board().Punteggio().setCaption(score);
        say("ready");
        if (nextLine() != "end")
            return 1;
        program.sinceEndAsked.start();
        game.cmdExit_Click();
    }
    return 0;
}

} // namespace

// end_of_game_helper: ends one game during a miss warning, with the real boxes and program end.
// end_of_game_helper NAME SCORE: plays games in turns, as another process tells it.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    configureApplication(app);
    if (argc == 3)
        return endInTurns(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    return endDuringAWarning(app);
}
