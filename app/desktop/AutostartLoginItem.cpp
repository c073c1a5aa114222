#include "app/desktop/AutostartLoginItem.h"

#include "engine/AtomicFile.h"
#include "platform/linux/DesktopEntryGroup.h"

#include <QCoreApplication>
#include <cstdlib>
#include <sstream>
#include <system_error>

namespace plimsett {
namespace {

enum class EntryState { missing, starts, hidden };

// Reads the keys of the [Desktop Entry] group that decide whether an autostart entry runs.
EntryState readEntry(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return EntryState::missing;
    }
    const AtomicFile::ReadResult file = AtomicFile::read(path);
    if (file.status != AtomicFile::ReadStatus::ok) {
        return EntryState::missing;
    }
    const DesktopEntryGroup entry = DesktopEntryGroup::parse(file.bytes);
    return entry.value("Hidden") == "true" || entry.value("X-GNOME-Autostart-enabled") == "false"
               ? EntryState::hidden
               : EntryState::starts;
}

std::filesystem::path homeDirectory() {
    const char* home = std::getenv("HOME");
    return home && *home ? std::filesystem::path(home) : std::filesystem::path("/");
}

} // namespace

AutostartLoginItem::AutostartLoginItem(std::filesystem::path userDirectory,
                                       std::vector<std::filesystem::path> systemDirectories,
                                       std::string executable)
    : userDirectory_(std::move(userDirectory)), systemDirectories_(std::move(systemDirectories)),
      executable_(std::move(executable)) {}

AutostartLoginItem AutostartLoginItem::forCurrentUser() {
    return AutostartLoginItem(userDirectoryFromEnvironment(), systemDirectoriesFromEnvironment(),
                              QCoreApplication::applicationFilePath().toStdString());
}

std::filesystem::path AutostartLoginItem::userDirectoryFromEnvironment() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && *configHome && std::filesystem::path(configHome).is_absolute()) {
        return std::filesystem::path(configHome) / "autostart";
    }
    return homeDirectory() / ".config" / "autostart";
}

std::vector<std::filesystem::path> AutostartLoginItem::systemDirectoriesFromEnvironment() {
    std::vector<std::filesystem::path> out;
    const char* configDirs = std::getenv("XDG_CONFIG_DIRS");
    std::string dirs = configDirs && *configDirs ? configDirs : "/etc/xdg";
    std::istringstream parts(dirs);
    std::string part;
    while (std::getline(parts, part, ':')) {
        if (!part.empty() && std::filesystem::path(part).is_absolute()) {
            out.push_back(std::filesystem::path(part) / "autostart");
        }
    }
    return out;
}

bool AutostartLoginItem::systemEntryExists() const {
    for (const auto& dir : systemDirectories_) {
        if (readEntry(dir / entryFileName) == EntryState::starts) {
            return true;
        }
    }
    return false;
}

bool AutostartLoginItem::isEnabled() const {
    switch (readEntry(userEntryPath())) {
    case EntryState::starts:
        return true;
    case EntryState::hidden:
        return false;
    case EntryState::missing:
        break;
    }
    return systemEntryExists();
}

bool AutostartLoginItem::setEnabled(bool enabled) {
    std::error_code ec;
    if (enabled) {
        // The folder is shared with other programs: it gets the user's usual permissions.
        std::filesystem::create_directories(userDirectory_, ec);
        if (ec) {
            return false;
        }
        return AtomicFile::write(userEntryPath(), entryText(executable_));
    }
    if (systemEntryExists()) {
        std::filesystem::create_directories(userDirectory_, ec);
        if (ec) {
            return false;
        }
        return AtomicFile::write(userEntryPath(), "[Desktop Entry]\n"
                                                  "Type=Application\n"
                                                  "Name=Plimsett\n"
                                                  "Hidden=true\n");
    }
    // Removing a name is atomic: the entry is either there whole or gone.
    std::filesystem::remove(userEntryPath(), ec);
    return !ec;
}

std::string AutostartLoginItem::execArgument(const std::string& argument) {
    static const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    const bool needsQuotes =
        argument.empty() || argument.find_first_of(reserved) != std::string::npos;
    for (char c : argument) {
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            quoted += '\\';
        }
        if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    if (needsQuotes) {
        quoted = '"' + quoted + '"';
    }
    // The Exec value is itself a string value, whose escapes apply on top of the quoting.
    std::string value;
    for (char c : quoted) {
        switch (c) {
        case '\\':
            value += "\\\\";
            break;
        case '\n':
            value += "\\n";
            break;
        case '\t':
            value += "\\t";
            break;
        case '\r':
            value += "\\r";
            break;
        default:
            value += c;
        }
    }
    return value;
}

std::string AutostartLoginItem::entryText(const std::string& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Plimsett\n"
           "Comment=Puts windows back where they were when displays return\n"
           "Exec=" +
           execArgument(executable) +
           "\n"
           "Icon=plimsett\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

} // namespace plimsett
