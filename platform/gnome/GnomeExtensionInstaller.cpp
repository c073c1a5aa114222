#include "platform/gnome/GnomeExtensionInstaller.h"

#include "engine/AtomicFile.h"
#include "platform/gnome/GnomeShellChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

namespace plimsett {
namespace {

constexpr int processTimeoutMs = 5000;

std::optional<int> majorOf(const QString& version) {
    static const QRegularExpression number(QStringLiteral("(\\d+)(\\.\\d+)*"));
    const QRegularExpressionMatch match = number.match(version);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return match.captured(1).toInt();
}

// Runs a program to its end within the time limit; its standard output, or nothing when it could
// not run or failed.
std::optional<QString> run(const QString& program, const QStringList& arguments,
                           QString* error = nullptr) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(processTimeoutMs)) {
        if (error) {
            *error = QStringLiteral("%1 could not be started").arg(program);
        }
        return std::nullopt;
    }
    if (!process.waitForFinished(processTimeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        if (error) {
            *error = QStringLiteral("%1 did not finish").arg(program);
        }
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (error) {
            *error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
            if (error->isEmpty()) {
                *error = QStringLiteral("%1 failed").arg(program);
            }
        }
        return std::nullopt;
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// The program that runs now, as the extension will find it behind the owner of Plimsett's bus
// name: the top-bar menu is shown only for this program.
QString runningProgram() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

// The extension's metadata with the program that installed it.
QByteArray withProgram(const QByteArray& metadata) {
    QJsonObject object = QJsonDocument::fromJson(metadata).object();
    object.insert(QStringLiteral("program"), runningProgram());
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool copyResource(const QString& from, const QString& to, QString* error) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("the program carries no %1").arg(from);
        return false;
    }
    QByteArray bytes = source.readAll();
    if (from.endsWith(QStringLiteral("metadata.json"))) {
        bytes = withProgram(bytes);
    }
    // Written whole or not at all, so that a Shell reading the folder never sees half a file, and
    // renamed over the old file: a symbolic link planted there is replaced, never followed.
    if (!AtomicFile::write(to.toStdString(), std::string_view(bytes.constData(),
                                                              static_cast<std::size_t>(bytes.size())))) {
        *error = QStringLiteral("%1 could not be written").arg(to);
        return false;
    }
    return true;
}

// The installer asks the bus through gdbus, GLib's own client, which every GNOME system has: a
// command-line run ends right after, before Qt D-Bus would have served a connection.
std::optional<QString> busCall(const QString& destination, const QString& path,
                               const QString& method, const QStringList& arguments = {}) {
    return run(QStringLiteral("gdbus"),
               QStringList{"call", "--session", "--timeout", "1", "--dest", destination,
                           "--object-path", path, "--method", method} +
                   arguments);
}

std::optional<int> runningShellMajorVersion() {
    const auto reply =
        busCall("org.gnome.Shell", "/org/gnome/Shell", "org.freedesktop.DBus.Properties.Get",
                {"org.gnome.Shell", "ShellVersion"});
    return reply ? majorOf(*reply) : std::nullopt;
}

std::optional<QString> nameOwner(const QString& name) {
    return busCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                   QStringLiteral("org.freedesktop.DBus.GetNameOwner"), {name});
}

// The extension runs when the Shell's own connection holds its name (it answers only Plimsett,
// so it is not asked).
bool extensionRuns() {
    const auto extension = nameOwner(QString::fromLatin1(GnomeShellChannel::busName));
    return extension && extension == nameOwner(QStringLiteral("org.gnome.Shell"));
}

std::optional<int> installedShellMajorVersion() {
    if (const auto running = runningShellMajorVersion()) {
        return running;
    }
    if (const auto printed = run(QStringLiteral("gnome-shell"), {QStringLiteral("--version")})) {
        return majorOf(*printed);
    }
    return std::nullopt;
}

} // namespace

std::optional<int> GnomeExtensionInstaller::shellMajorVersion() {
    return installedShellMajorVersion();
}

QString GnomeExtensionInstaller::installDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/gnome-shell/extensions/") + QString::fromLatin1(uuid);
}

std::optional<QString> GnomeExtensionInstaller::resourceFolder(int major) {
    if (major >= 45) {
        return QStringLiteral(":/plimsett/gnome-extension/modules");
    }
    if (major >= 42) {
        return QStringLiteral(":/plimsett/gnome-extension/legacy");
    }
    return std::nullopt;
}

QStringList GnomeExtensionInstaller::parseStringList(const QString& printed) {
    QStringList items;
    static const QRegularExpression item(QStringLiteral("'((?:[^'\\\\]|\\\\.)*)'"));
    for (auto it = item.globalMatch(printed); it.hasNext();) {
        items << it.next().captured(1).replace(QStringLiteral("\\'"), QStringLiteral("'"));
    }
    return items;
}

QString GnomeExtensionInstaller::printStringList(const QStringList& items) {
    QStringList quoted;
    for (QString item : items) {
        item.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
        item.replace(QStringLiteral("'"), QStringLiteral("\\'"));
        quoted << QLatin1Char('\'') + item + QLatin1Char('\'');
    }
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

bool GnomeExtensionInstaller::enable(QString* error) {
    const QString gsettings = QStringLiteral("gsettings");
    const QString schema = QStringLiteral("org.gnome.shell");
    const QString self = QString::fromLatin1(uuid);
    QString problem;
    const auto enabled = run(gsettings, {"get", schema, "enabled-extensions"}, &problem);
    if (!enabled) {
        *error = QStringLiteral("GNOME Shell's settings cannot be read (%1)").arg(problem);
        return false;
    }
    QStringList list = parseStringList(*enabled);
    if (!list.contains(self)) {
        list << self;
        if (!run(gsettings, {"set", schema, "enabled-extensions", printStringList(list)},
                 &problem)) {
            *error = QStringLiteral("GNOME Shell's settings cannot be changed (%1)").arg(problem);
            return false;
        }
    }
    // Older Shells have no such key; then there is nothing to take the extension off.
    if (const auto disabled = run(gsettings, {"get", schema, "disabled-extensions"})) {
        QStringList off = parseStringList(*disabled);
        if (off.removeAll(self) > 0) {
            run(gsettings, {"set", schema, "disabled-extensions", printStringList(off)});
        }
    }
    return true;
}

bool GnomeExtensionInstaller::userExtensionsSwitchedOff() {
    const auto printed = run(QStringLiteral("gsettings"),
                             {"get", "org.gnome.shell", "disable-user-extensions"});
    return printed && printed->trimmed() == QLatin1String("true");
}

GnomeExtensionInstaller::Result GnomeExtensionInstaller::install() {
    Result result;
    const std::optional<int> major = shellMajorVersion();
    if (!major) {
        result.message = QStringLiteral(
            "GNOME Shell was not found, so its extension was not installed. The extension is "
            "for GNOME sessions.");
        return result;
    }
    const std::optional<QString> folder = resourceFolder(*major);
    if (!folder) {
        result.message = QStringLiteral("GNOME Shell %1 is too old for Plimsett's extension, "
                                        "which needs GNOME 42 or later.")
                             .arg(*major);
        return result;
    }
    const QString directory = installDirectory();
    QString error;
    if (QFileInfo(directory).isSymLink()) {
        result.message = QStringLiteral("%1 is a symbolic link, so the extension was not installed "
                                        "there. Remove the link and install again.")
                             .arg(directory);
        return result;
    }
    if (!QDir().mkpath(directory)) {
        result.message =
            QStringLiteral("The folder %1 could not be made, so the extension was not installed.")
                .arg(directory);
        return result;
    }
    for (const char* file : {"metadata.json", "extension.js"}) {
        const QString name = QString::fromLatin1(file);
        if (!copyResource(*folder + QLatin1Char('/') + name, directory + QLatin1Char('/') + name,
                          &error)) {
            result.message = QStringLiteral("The extension could not be installed: %1.").arg(error);
            return result;
        }
    }
    result.directory = directory;
    if (!enable(&error)) {
        result.message = QStringLiteral("The extension was installed in %1 but could not be "
                                        "switched on: %2.")
                             .arg(directory, error);
        return result;
    }
    result.ok = true;
    // The user's own choice to run no extension of theirs is left alone.
    if (userExtensionsSwitchedOff()) {
        result.message = QStringLiteral(
            "Plimsett's GNOME Shell extension is installed in %1 and switched on, but GNOME runs "
            "no extensions of yours: user extensions are switched off. Switch them on in the "
            "Extensions app (or run `gsettings set org.gnome.shell disable-user-extensions "
            "false`), then start Plimsett again.")
                             .arg(directory);
        return result;
    }
    // A Shell that knew the extension from login loads it as soon as it is switched on.
    const QDeadlineTimer deadline(2000);
    while (!(result.running = extensionRuns()) && !deadline.hasExpired() &&
           runningShellMajorVersion()) {
        QThread::msleep(100);
    }
    result.message =
        result.running
            ? QStringLiteral("Plimsett's GNOME Shell extension is installed in %1 and on.")
                  .arg(directory)
            : QStringLiteral("Plimsett's GNOME Shell extension is installed in %1 and switched "
                             "on. On Wayland, GNOME loads a newly installed extension only after "
                             "you log in again: log out and back in, then start Plimsett.")
                  .arg(directory);
    return result;
}

} // namespace plimsett
