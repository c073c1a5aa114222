#pragma once

#include "app/desktop/LoginItem.h"

#include <filesystem>
#include <string>
#include <vector>

namespace plimsett {

// Opening at login through an XDG autostart entry. The user's entry lives in
// `$XDG_CONFIG_HOME/autostart` (else `~/.config/autostart`); an entry of the same name in a
// system folder (`$XDG_CONFIG_DIRS/autostart`) counts unless the user's entry hides it.
class AutostartLoginItem : public LoginItem {
public:
    static constexpr const char* entryFileName = "plimsett.desktop";

    AutostartLoginItem(std::filesystem::path userDirectory,
                       std::vector<std::filesystem::path> systemDirectories,
                       std::string executable);

    // The folders of this user's session and the running program's own path.
    static AutostartLoginItem forCurrentUser();
    static std::filesystem::path userDirectoryFromEnvironment();
    static std::vector<std::filesystem::path> systemDirectoriesFromEnvironment();

    bool isEnabled() const override;
    // Enabling writes the user's entry atomically; disabling removes it, or, when a system entry
    // would still start the program, replaces it with an entry that hides that one.
    bool setEnabled(bool enabled) override;

    std::filesystem::path userEntryPath() const { return userDirectory_ / entryFileName; }
    // The text of the entry that starts `executable`.
    static std::string entryText(const std::string& executable);
    // One argument of an Exec key, quoted and escaped as desktop entries require.
    static std::string execArgument(const std::string& argument);

private:
    bool systemEntryExists() const;

    std::filesystem::path userDirectory_;
    std::vector<std::filesystem::path> systemDirectories_;
    std::string executable_;
};

} // namespace plimsett
