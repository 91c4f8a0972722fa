#pragma once

#include <QCoreApplication>
#include <QProcess>

#include "support/record_folder.h"

namespace brivadoro::testing {

using namespace Qt::StringLiterals;

inline constexpr int kWaitMs = 20'000;

// One end_of_game_helper: a player who plays game after game, each started and ended on request;
// given an account, it plays as that pupil, in the class's group, with a home of its own.
class Player {
public:
    Player(const QString& name, const QString& score, const Account* account = nullptr,
           const QString& home = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        QString program = QCoreApplication::applicationDirPath() + u"/end_of_game_helper"_s;
        QStringList arguments{name, score};
        if (account != nullptr) {
            environment.insert(u"HOME"_s, home);
            environment.insert(u"XDG_RUNTIME_DIR"_s, home);
            arguments = QStringList{u"--reuid=%1"_s.arg(account->uid), u"--regid=%1"_s.arg(kClassGroup),
                                    u"--clear-groups"_s, u"--"_s, program} +
                        arguments;
            program = u"setpriv"_s;
        }
        process_.setProcessEnvironment(environment);
        process_.start(program, arguments);
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;
    ~Player() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(kWaitMs))
            process_.kill();
    }

    // Starts a game, whose start-up reads the record; false when the player never gets ready. The
    // lines printed before, such as start-up's boxes, are kept in before when given.
    bool startGame(QList<QByteArray>* before = nullptr) {
        tell("start");
        QByteArray answer;
        for (answer = line(); !answer.isEmpty() && answer != "ready"; answer = line()) {
            if (before != nullptr)
                *before << answer;
        }
        return answer == "ready";
    }

    void tell(QByteArrayView line) {
        process_.write(line.toByteArray() + '\n');
        process_.waitForBytesWritten(kWaitMs);
    }

    // The next line the player prints; empty when none comes.
    QByteArray line() {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(kWaitMs))
                return {};
        }
        return process_.readLine().chopped(1);
    }

    // The boxes of the end, up to the line that says how long the end took; that line is last.
    QList<QByteArray> ending() {
        QList<QByteArray> lines;
        do
            lines << line();
        while (!lines.back().isEmpty() && !lines.back().startsWith("ended "));
        return lines;
    }

    [[nodiscard]] bool finished() {
        process_.closeWriteChannel();
        return process_.waitForFinished(kWaitMs) && process_.exitStatus() == QProcess::NormalExit &&
               process_.exitCode() == 0;
    }

private:
    QProcess process_;
};

} // namespace brivadoro::testing
