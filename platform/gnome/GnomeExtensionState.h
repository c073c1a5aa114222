#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

namespace plimsett {

// What GNOME Shell says of Plimsett's extension (org.gnome.Shell.Extensions GetExtensionInfo)
// together with the user's extension folders, and what the user can do about it. A Shell that
// did not see the extension at login knows nothing of it: on Wayland it loads a newly installed
// extension only at the next login.
struct GnomeExtensionState {
    enum class Kind {
        noShell,      // the Shell does not answer on the session bus
        notInstalled, // neither the Shell nor the extension folders have it
        notLoaded,    // installed, but the Shell has not loaded it (installed since login)
        switchedOff,  // loaded and not enabled
        failed,       // the Shell could not start it
        outOfDate,    // the installed form is not made for this Shell
        starting,     // being switched on right now
        on,           // the Shell runs it
    };

    Kind kind = Kind::noShell;
    // The Shell's error text, for `failed`.
    QString error;

    // Asks the Shell on `bus` (a bounded wait) and looks in the extension folders.
    static GnomeExtensionState read(const QDBusConnection& bus);
    // From the Shell's answer (empty when it does not know the extension) and whether the
    // extension's files are in one of the extension folders.
    static GnomeExtensionState fromInfo(const QVariantMap& info, bool installed);
    // True when metadata.json of the extension is in $XDG_DATA_HOME or $XDG_DATA_DIRS.
    static bool filesInstalled();

    // Why Plimsett cannot use the extension in this state and what to do, in full sentences;
    // empty for `on`.
    QString advice() const;
};

} // namespace plimsett
