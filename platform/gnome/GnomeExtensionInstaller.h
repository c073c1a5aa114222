#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace plimsett {

// Installs Plimsett's Shell extension into the user's extension folder and switches it on. The
// extension travels inside the program in two forms from one source: the one of GNOME Shell 42
// to 44 (legacy imports) and the one of 45 and later (ES modules); the form is chosen by the
// version of the Shell that runs, else of the one installed.
class GnomeExtensionInstaller {
public:
    // The same as in the extension's metadata (CMake gives both).
    static constexpr const char* uuid = PLIMSETT_GNOME_EXTENSION_UUID;

    struct Result {
        bool ok = false;
        // True when the running Shell already answers through the extension.
        bool running = false;
        // Where the extension was installed, when it was.
        QString directory;
        // What happened, in full sentences, for the user.
        QString message;
    };

    // Installs (or updates) the files and enables the extension; the metadata names the program
    // that runs now, for whose menu alone the extension has a place in the top bar. The Shell on Wayland loads an
    // extension that it did not see at login only after the user logs in again; the message
    // says so when that is the case.
    static Result install();

    // The major version of the running Shell, else of the installed one.
    static std::optional<int> shellMajorVersion();
    // $XDG_DATA_HOME/gnome-shell/extensions/<uuid> (~/.local/share when XDG_DATA_HOME is unset).
    static QString installDirectory();
    // The folder of the form for Shell `major` inside the program's resources; nothing for
    // versions older than 42.
    static std::optional<QString> resourceFolder(int major);
    // Adds the extension to org.gnome.shell's enabled-extensions (and takes it off
    // disabled-extensions). False with `error` set when the settings cannot be written.
    static bool enable(QString* error);
    // The user has switched off every extension of theirs (disable-user-extensions); enabling
    // leaves that choice alone.
    static bool userExtensionsSwitchedOff();

    // The items of a GSettings string-list value as gsettings prints it ("['a', 'b']",
    // "@as []").
    static QStringList parseStringList(const QString& printed);
    static QString printStringList(const QStringList& items);
};

} // namespace plimsett
