#pragma once

#include "engine/SavedLayout.h"

#include <QJsonObject>
#include <QLocale>
#include <QString>
#include <QStringList>

class QTextStream;

namespace plimsett {

// The `plimsett` command: with no command it runs the program; with one it talks to the running
// instance and prints the answer.
class CommandLine {
public:
    enum class Action { runApplication, help, version, send, installExtension, usageError };
    struct Invocation {
        Action action = Action::runApplication;
        QString command;
        bool json = false;
        QString error;
    };

    // Exit statuses of the command line.
    static constexpr int exitOK = 0;
    static constexpr int exitFailed = 1;
    static constexpr int exitUsage = 2;
    static constexpr int exitNotRunning = 3;

    // `arguments` without the program's name. Options it does not know are left to the
    // application (Qt's own, such as -platform) when no command is given.
    static Invocation parse(const QStringList& arguments);

    static QString helpText();
    static QString versionText();

    // Carries out help, version, usage errors and commands, printing to `out` and `err`, and
    // returns the exit status. Commands go to the instance listening on `socketPath`.
    static int execute(const Invocation& invocation, const QString& socketPath, QTextStream& out,
                       QTextStream& err);

    // The human-readable form of a status reply, with times relative to `now`.
    static QString formatStatus(const QJsonObject& status, Date now, const QLocale& locale);
    // The message for a second start while `running` (a "hello" reply) runs.
    static QString alreadyRunningMessage(const QJsonObject& running);
    // The message for a second start that opened the running instance's settings window.
    static QString settingsOpenedMessage(const QJsonObject& running);
};

} // namespace plimsett
