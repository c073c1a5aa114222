#include "app/commands/CommandLine.h"

#include "app/commands/CommandClient.h"
#include "app/windows/RelativeTimeFormatter.h"
#include "engine/InternetDate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>
#include <chrono>

namespace plimsett {
namespace {

const QStringList commands = {QStringLiteral("save"), QStringLiteral("restore"),
                              QStringLiteral("status"), QStringLiteral("quit")};
const QString installCommand = QStringLiteral("install-extension");

QString number(const QJsonValue& v) {
    return QString::number(v.toInteger());
}

QString when(const QJsonValue& value, Date now, const QLocale& locale) {
    const std::optional<Date> date = InternetDate::parse(value.toString().toStdString());
    if (!date) {
        return value.toString();
    }
    return QStringLiteral("%1 (%2)").arg(value.toString(),
                                         RelativeTimeFormatter(locale).format(*date, now));
}

QString size(const QJsonObject& r) {
    return QStringLiteral("%1×%2 at %3,%4")
        .arg(r.value(QStringLiteral("width")).toDouble())
        .arg(r.value(QStringLiteral("height")).toDouble())
        .arg(r.value(QStringLiteral("x")).toDouble())
        .arg(r.value(QStringLiteral("y")).toDouble());
}

QString counts(const QJsonObject& r) {
    return QStringLiteral("%1 moved, %2 already in place, %3 skipped, %4 failed")
        .arg(number(r.value(QStringLiteral("moved"))),
             number(r.value(QStringLiteral("alreadyInPlace"))),
             number(r.value(QStringLiteral("skipped"))), number(r.value(QStringLiteral("failed"))));
}

} // namespace

CommandLine::Invocation CommandLine::parse(const QStringList& arguments) {
    Invocation inv;
    QStringList unknown;
    for (const QString& arg : arguments) {
        if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h")) {
            inv.action = Action::help;
            return inv;
        }
        if (arg == QStringLiteral("--version") || arg == QStringLiteral("-v")) {
            inv.action = Action::version;
            return inv;
        }
        if (arg == QStringLiteral("--json")) {
            inv.json = true;
        } else if (arg.startsWith(QLatin1Char('-'))) {
            unknown << arg;
        } else if (inv.command.isEmpty() && (commands.contains(arg) || arg == installCommand)) {
            inv.command = arg;
        } else if (inv.command.isEmpty() && unknown.isEmpty()) {
            inv.action = Action::usageError;
            inv.error = QStringLiteral("unknown command \"%1\"").arg(arg);
            return inv;
        } else if (!inv.command.isEmpty()) {
            inv.action = Action::usageError;
            inv.error = QStringLiteral("unexpected argument \"%1\"").arg(arg);
            return inv;
        }
    }
    if (inv.command == installCommand) {
        // Done here, not by the running instance: it works before the first start too.
        inv.action = Action::installExtension;
        if (!unknown.isEmpty() || inv.json) {
            inv.action = Action::usageError;
            inv.error = inv.json ? QStringLiteral("install-extension takes no --json")
                                 : QStringLiteral("unknown option \"%1\"").arg(unknown.first());
        }
    } else if (!inv.command.isEmpty()) {
        inv.action = Action::send;
        if (!unknown.isEmpty()) {
            inv.action = Action::usageError;
            inv.error = QStringLiteral("unknown option \"%1\"").arg(unknown.first());
        }
    } else if (inv.json) {
        inv.action = Action::usageError;
        inv.error = QStringLiteral("--json goes with a command, such as: plimsett status --json");
    }
    return inv;
}

QString CommandLine::helpText() {
    return QStringLiteral(
        "Usage: plimsett [command] [--json]\n"
        "\n"
        "Plimsett remembers one window layout for every set of connected displays and puts\n"
        "the windows back when that set returns. Run without a command, it starts in the\n"
        "system tray (one instance per user). With a command, it talks to that instance:\n"
        "\n"
        "  save       save the windows of the current displays now\n"
        "  restore    put the windows of the current displays back now\n"
        "  status     show the current displays, the saved layout, the phase and the\n"
        "             last restore; with --json, as JSON for scripts\n"
        "  quit       stop the running instance\n"
        "  install-extension\n"
        "             install Plimsett's GNOME Shell extension and switch it on (GNOME\n"
        "             only; on Wayland GNOME loads it after you log in again)\n"
        "\n"
        "Options:\n"
        "  -h, --help      show this help\n"
        "  -v, --version   show the version\n"
        "  --json          print the instance's answer as JSON\n"
        "\n"
        "Exit status: 0 done, 1 the instance could not do it, 2 wrong usage,\n"
        "3 Plimsett is not running.\n");
}

QString CommandLine::versionText() {
    return QStringLiteral("Plimsett %1\n").arg(QStringLiteral(PLIMSETT_VERSION));
}

QString CommandLine::alreadyRunningMessage(const QJsonObject& running) {
    const qint64 pid = running.value(QStringLiteral("pid")).toInteger();
    if (pid > 0) {
        return QStringLiteral("Plimsett is already running (process %1). Its icon is in the "
                              "system tray; `plimsett quit` stops it.\n")
            .arg(pid);
    }
    return QStringLiteral("Plimsett is already running. Its icon is in the system tray; "
                          "`plimsett quit` stops it.\n");
}

QString CommandLine::settingsOpenedMessage(const QJsonObject& running) {
    return QStringLiteral("Plimsett is already running (process %1); its settings window is "
                          "open. `plimsett quit` stops it.\n")
        .arg(running.value(QStringLiteral("pid")).toInteger());
}

QString CommandLine::formatStatus(const QJsonObject& s, Date now, const QLocale& locale) {
    QString out;
    QTextStream o(&out);
    o << "Plimsett " << s.value(QStringLiteral("version")).toString() << " is running (process "
      << number(s.value(QStringLiteral("pid"))) << ").\n";
    const QJsonObject set = s.value(QStringLiteral("displaySet")).toObject();
    const QJsonArray displays = set.value(QStringLiteral("displays")).toArray();
    if (displays.isEmpty()) {
        o << "Displays:      none\n";
    } else {
        o << "Displays:      " << set.value(QStringLiteral("name")).toString() << " (set "
          << set.value(QStringLiteral("id")).toString() << ")\n";
        for (const QJsonValue& value : displays) {
            const QJsonObject d = value.toObject();
            o << "  " << d.value(QStringLiteral("name")).toString() << ": "
              << size(d.value(QStringLiteral("frame")).toObject());
            if (d.value(QStringLiteral("builtIn")).toBool()) {
                o << ", built in";
            }
            o << ", id " << d.value(QStringLiteral("uuid")).toString() << "\n";
        }
    }
    const QJsonObject layout = s.value(QStringLiteral("layout")).toObject();
    if (layout.value(QStringLiteral("saved")).toBool()) {
        o << "Saved layout:  " << number(layout.value(QStringLiteral("windowCount")))
          << " windows, saved " << when(layout.value(QStringLiteral("savedAt")), now, locale)
          << "\n";
    } else {
        o << "Saved layout:  none for these displays yet\n";
    }
    o << "Phase:         " << s.value(QStringLiteral("phase")).toString() << "\n";
    const QJsonValue last = s.value(QStringLiteral("lastRestore"));
    if (last.isObject()) {
        o << "Last restore:  " << when(last.toObject().value(QStringLiteral("at")), now, locale)
          << ": " << counts(last.toObject()) << "\n";
    } else {
        o << "Last restore:  none since start\n";
    }
    o << "Auto-restore:  "
      << (s.value(QStringLiteral("autoRestoreOnDisplayChange")).toBool() ? "on" : "off")
      << ", after wake " << (s.value(QStringLiteral("restoreAfterWake")).toBool() ? "on" : "off")
      << "\n";
    o << "Window access: " << (s.value(QStringLiteral("access")).toBool() ? "yes" : "no");
    if (s.contains(QStringLiteral("problem"))) {
        o << " (" << s.value(QStringLiteral("problem")).toString() << ")";
    }
    o << "\n";
    // Why and what to do, on a line of its own under the answer.
    if (s.contains(QStringLiteral("advice"))) {
        o << "               " << s.value(QStringLiteral("advice")).toString() << "\n";
    }
    o << "Layout file:   " << s.value(QStringLiteral("layoutFile")).toString() << "\n";
    return out;
}

int CommandLine::execute(const Invocation& inv, const QString& socketPath, QTextStream& out,
                         QTextStream& err) {
    switch (inv.action) {
    case Action::help:
        out << helpText();
        return exitOK;
    case Action::version:
        out << versionText();
        return exitOK;
    case Action::usageError:
        err << "plimsett: " << inv.error << "\nTry `plimsett --help`.\n";
        return exitUsage;
    case Action::runApplication:
    case Action::installExtension:
        return exitUsage;
    case Action::send:
        break;
    }
    const CommandClient::Result result =
        CommandClient::send(socketPath, {{QStringLiteral("command"), inv.command}});
    if (result.status == CommandClient::Status::noInstance) {
        err << "plimsett: Plimsett is not running. Start it with `plimsett` (without a "
               "command).\n";
        return exitNotRunning;
    }
    if (result.status != CommandClient::Status::replied) {
        err << "plimsett: no answer from the running instance (" << result.error << ").\n";
        return exitFailed;
    }
    const QJsonObject& reply = result.reply;
    const bool ok = reply.value(QStringLiteral("ok")).toBool();
    if (inv.json) {
        out << QJsonDocument(reply).toJson(QJsonDocument::Indented);
        return ok ? exitOK : exitFailed;
    }
    if (!ok) {
        // Messages of several sentences end with their own full stop.
        const QString error = reply.value(QStringLiteral("error")).toString();
        err << "plimsett: " << error << (error.endsWith(QLatin1Char('.')) ? "\n" : ".\n");
        return exitFailed;
    }
    if (inv.command == QStringLiteral("status")) {
        out << formatStatus(reply, std::chrono::system_clock::now(), QLocale());
    } else if (inv.command == QStringLiteral("save")) {
        out << "Saved " << number(reply.value(QStringLiteral("windowCount"))) << " windows for "
            << reply.value(QStringLiteral("displaySet")).toString() << ".\n";
    } else if (inv.command == QStringLiteral("restore")) {
        out << "Restored: " << counts(reply) << ".\n";
    } else if (inv.command == QStringLiteral("quit")) {
        out << "Plimsett (process " << number(reply.value(QStringLiteral("pid")))
            << ") is quitting.\n";
    }
    return exitOK;
}

} // namespace plimsett
