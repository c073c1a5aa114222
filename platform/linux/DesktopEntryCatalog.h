#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plimsett {

// The applications installed on the desktop, from the desktop entries (`applications/*.desktop`)
// of the XDG data directories, matched to an application's windows by their WM_CLASS. The
// entries are read once, and again only when one of the directories changed.
//
// An entry counts when its [Desktop Entry] has Type=Application and a Name and is not Hidden. An
// entry's ID (its path below the applications directory, '/' as '-') found in a more important
// directory hides the same ID further down, so a user's Hidden=true entry deletes a system one.
class DesktopEntryCatalog {
public:
    struct Entry {
        std::string id;
        // Translated when the entry has the catalog's language; valid UTF-8.
        std::string name;
        // A file path or a name in the icon theme; may be empty.
        std::string icon;
        std::string startupWMClass;

        bool operator==(const Entry&) const = default;
    };

    // `directories` are applications directories, the most important first; `language` is a
    // locale name such as "de_DE.UTF-8" (empty for untranslated names).
    DesktopEntryCatalog(std::vector<std::filesystem::path> directories, std::string language);
    // The applications directories of $XDG_DATA_HOME and $XDG_DATA_DIRS and the language of
    // the messages locale.
    static DesktopEntryCatalog forEnvironment();

    // Reads the entries the first time, and again when a directory was added, removed or changed
    // since the last read. True when it read them.
    bool refresh();
    // The entry of the application whose windows have the WM_CLASS class and instance: the entry
    // whose StartupWMClass is the class, else the entry whose ID is the class or the instance
    // (ignoring case), else one whose reverse-DNS ID ends in the class.
    std::optional<Entry> find(const std::string& wmClass, const std::string& wmInstance = {}) const;

private:
    void read();
    std::vector<std::optional<std::filesystem::file_time_type>> stamps() const;

    std::vector<std::filesystem::path> directories_;
    std::vector<std::string> nameKeys_;
    std::optional<std::vector<std::optional<std::filesystem::file_time_type>>> readStamps_;
    std::vector<Entry> entries_;
    // Indexes into entries_; where two entries share a key, the first read keeps it.
    std::map<std::string, std::size_t> byStartupClass_;
    std::map<std::string, std::size_t> byLowerID_;
    std::map<std::string, std::size_t> byLowerLastComponent_;
};

} // namespace plimsett
