#include "app/AppDelegate.h"
#include "app/AppModel.h"
#include "app/commands/CommandClient.h"
#include "app/commands/CommandLine.h"
#include "app/commands/CommandProcessor.h"
#include "app/commands/CommandServer.h"
#include "app/commands/InstancePaths.h"
#include "app/desktop/TerminationSignals.h"
#include "app/translations/AppTranslations.h"
#include "platform/PlatformBackend.h"
#ifdef PLIMSETT_HAVE_GNOME
#include "app/StatusMenuBus.h"
#include "platform/gnome/GnomeExtensionInstaller.h"
#endif

#include <QApplication>
#include <QCoreApplication>
#include <QSystemTrayIcon>
#include <QTextStream>
#include <cstdio>

using namespace plimsett;

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList out;
    for (int i = 1; i < argc; ++i) {
        out << QString::fromLocal8Bit(argv[i]);
    }
    return out;
}

void identify() {
    QCoreApplication::setApplicationName(QStringLiteral("Plimsett"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PLIMSETT_VERSION));
}

// True when a Qt platform can be expected to start: a display to talk to or an explicit one. A
// Mac always has its window server.
bool hasDisplay() {
#ifdef __APPLE__
    return true;
#else
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#endif
}

} // namespace

int main(int argc, char** argv) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const CommandLine::Invocation invocation = CommandLine::parse(argumentsOf(argc, argv));

    if (invocation.action == CommandLine::Action::installExtension) {
        QCoreApplication app(argc, argv);
        identify();
#ifdef PLIMSETT_HAVE_GNOME
        const GnomeExtensionInstaller::Result result = GnomeExtensionInstaller::install();
        (result.ok ? out : err) << (result.ok ? "" : "plimsett: ") << result.message << "\n";
        return result.ok ? CommandLine::exitOK : CommandLine::exitFailed;
#else
        err << "plimsett: this build has no GNOME Shell extension.\n";
        return CommandLine::exitFailed;
#endif
    }
    if (invocation.action != CommandLine::Action::runApplication) {
        // The command line needs no desktop: a plain core application is enough.
        QCoreApplication app(argc, argv);
        identify();
        QString problem;
        const auto directory = InstancePaths::directory(&problem);
        if (!directory && invocation.action == CommandLine::Action::send) {
            err << "plimsett: no private runtime folder: " << problem << "\n";
            return CommandLine::exitFailed;
        }
        return CommandLine::execute(invocation,
                                    directory.value_or(QString()) + QLatin1Char('/') +
                                        InstancePaths::socketName(),
                                    out, err);
    }

    if (!hasDisplay()) {
        err << "plimsett: no desktop session found (neither DISPLAY nor WAYLAND_DISPLAY is set). "
               "Plimsett runs in an X11 session, or in GNOME or KDE Plasma on Wayland.\n";
        return CommandLine::exitFailed;
    }
    QApplication app(argc, argv);
    identify();
    // Before the first text is made: the menu, the windows and the built-in display's name.
    const AppTranslations translations;
    QGuiApplication::setDesktopFileName(QStringLiteral("plimsett"));
    // The tray icon is the only permanent interface: closing a window must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList leftover = app.arguments().mid(1);
    if (!leftover.isEmpty()) {
        err << "plimsett: unknown option \"" << leftover.first() << "\"\nTry `plimsett --help`.\n";
        return CommandLine::exitUsage;
    }

    QString problem;
    const auto directory = InstancePaths::directory(&problem);
    if (!directory) {
        err << "plimsett: no private runtime folder: " << problem << "\n";
        return CommandLine::exitFailed;
    }
    CommandServer server(*directory);
    switch (server.claim()) {
    case CommandServer::Claim::claimed:
        break;
    case CommandServer::Claim::alreadyRunning: {
        // Started again from the launcher: the running instance shows its settings, the one
        // window that is reachable where there is no tray.
        const CommandClient::Result running = CommandClient::send(
            server.socketPath(), {{QStringLiteral("command"), "settings"}}, 5000);
        if (running.status == CommandClient::Status::replied &&
            running.reply.value(QStringLiteral("ok")).toBool()) {
            out << CommandLine::settingsOpenedMessage(running.reply);
            return CommandLine::exitOK;
        }
        err << "plimsett: " << CommandLine::alreadyRunningMessage(running.reply);
        return CommandLine::exitFailed;
    }
    case CommandServer::Claim::failed:
        err << "plimsett: " << server.errorString() << "\n";
        return CommandLine::exitFailed;
    }

    AppDelegate delegate([] {
        return std::make_unique<AppModel>(AppModel::Environment::standard(makePlatformBackend));
    });
    CommandProcessor processor([&delegate] { return delegate.model(); },
                               [] { QCoreApplication::quit(); });
    server.setHandler([&processor](const QJsonObject& request, CommandServer::Respond respond) {
        processor.handle(request, respond);
    });
    if (!server.listen()) {
        err << "plimsett: cannot listen for commands: " << server.errorString() << "\n";
        return CommandLine::exitFailed;
    }
    TerminationSignals terminationSignals;
#ifdef PLIMSETT_HAVE_GNOME
    // The tray menu for GNOME's top bar, where Plimsett's Shell extension shows it.
    std::unique_ptr<StatusMenuBus> menuBus;
#endif
    QObject::connect(&delegate, &AppDelegate::launched, [&] {
        if (!delegate.menu()) {
            return;
        }
#ifdef PLIMSETT_HAVE_GNOME
        menuBus = std::make_unique<StatusMenuBus>(*delegate.menu());
#endif
        // Only where the menu lives in a tray; on GNOME the top bar shows it.
        if (delegate.menu()->trayIcon() && !QSystemTrayIcon::isSystemTrayAvailable()) {
            // The icon appears by itself once a tray starts; until then the command line still
            // works.
            err << "plimsett: there is no system tray yet; Plimsett runs and its icon appears "
                   "when a tray starts. `plimsett quit` stops it.\n";
            err.flush();
        }
    });
    return app.exec();
}
