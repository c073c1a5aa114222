#include "platform/gnome/GnomeExtensionState.h"

#include "platform/gnome/GnomeExtensionInstaller.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QStandardPaths>

namespace plimsett {
namespace {

// GNOME Shell's ExtensionState numbers, the same from 42 to 49 (48 renamed ENABLED and DISABLED
// to ACTIVE and INACTIVE and kept their numbers; DISABLING and ENABLING came with 45).
enum class ShellState {
    enabled = 1,
    disabled = 2,
    error = 3,
    outOfDate = 4,
    downloading = 5,
    initialized = 6,
    disabling = 7,
    enabling = 8,
    uninstalled = 99,
};

constexpr int shellTimeoutMs = 1000;

} // namespace

bool GnomeExtensionState::filesInstalled() {
    return !QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                   QStringLiteral("gnome-shell/extensions/") +
                                       QString::fromLatin1(GnomeExtensionInstaller::uuid) +
                                       QStringLiteral("/metadata.json"))
                .isEmpty();
}

GnomeExtensionState GnomeExtensionState::read(const QDBusConnection& bus) {
    if (!bus.isConnected()) {
        return {};
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
        QStringLiteral("org.gnome.Shell.Extensions"), QStringLiteral("GetExtensionInfo"));
    call << QString::fromLatin1(GnomeExtensionInstaller::uuid);
    const QDBusMessage reply = bus.call(call, QDBus::Block, shellTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    QVariantMap info;
    const QVariant first = reply.arguments().constFirst();
    if (first.canConvert<QDBusArgument>()) {
        first.value<QDBusArgument>() >> info;
    } else {
        info = first.toMap();
    }
    return fromInfo(info, filesInstalled());
}

GnomeExtensionState GnomeExtensionState::fromInfo(const QVariantMap& info, bool installed) {
    GnomeExtensionState state;
    const QVariant shellState = info.value(QStringLiteral("state"));
    if (!shellState.isValid()) {
        state.kind = installed ? Kind::notLoaded : Kind::notInstalled;
        return state;
    }
    switch (static_cast<ShellState>(static_cast<int>(shellState.toDouble()))) {
    case ShellState::enabled:
        state.kind = Kind::on;
        break;
    case ShellState::disabled:
    case ShellState::initialized:
    case ShellState::disabling:
        state.kind = Kind::switchedOff;
        break;
    case ShellState::error:
        state.kind = Kind::failed;
        state.error = info.value(QStringLiteral("error")).toString();
        break;
    case ShellState::outOfDate:
        state.kind = Kind::outOfDate;
        break;
    case ShellState::downloading:
    case ShellState::enabling:
        state.kind = Kind::starting;
        break;
    case ShellState::uninstalled:
        state.kind = installed ? Kind::notLoaded : Kind::notInstalled;
        break;
    default:
        state.kind = Kind::failed;
        break;
    }
    return state;
}

QString GnomeExtensionState::advice() const {
    switch (kind) {
    case Kind::noShell:
        return QStringLiteral("GNOME Shell does not answer on the session bus "
                              "(org.gnome.Shell.Extensions), so Plimsett cannot reach its "
                              "extension.");
    case Kind::notInstalled:
        return QStringLiteral("Plimsett's GNOME Shell extension is not installed. "
                              "`plimsett install-extension` installs it and switches it on; then "
                              "log out and back in, since GNOME on Wayland loads a newly installed "
                              "extension only at the next login.");
    case Kind::notLoaded:
        return QStringLiteral("Plimsett's GNOME Shell extension is installed, but GNOME Shell has "
                              "not loaded it: GNOME on Wayland loads a newly installed extension "
                              "only at the next login. Log out and back in, then start Plimsett.");
    case Kind::switchedOff:
        return QStringLiteral("Plimsett's GNOME Shell extension is installed but switched off. "
                              "`plimsett install-extension` (or the Extensions app) switches it "
                              "on; it starts at once.");
    case Kind::failed:
        return QStringLiteral("GNOME Shell could not start Plimsett's extension%1. "
                              "`plimsett install-extension` installs it again in the form of "
                              "this Shell; then log out and back in.")
            .arg(error.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(error));
    case Kind::outOfDate:
        return QStringLiteral("The installed copy of Plimsett's GNOME Shell extension is not "
                              "made for this version of GNOME Shell. `plimsett install-extension` "
                              "installs the form of this Shell; then log out and back in.");
    case Kind::starting:
        return QStringLiteral("Plimsett's GNOME Shell extension is being switched on; try again "
                              "in a moment.");
    case Kind::on:
        break;
    }
    return {};
}

} // namespace plimsett
