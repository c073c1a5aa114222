#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plimsett {

// The names under which the desktop shows applications, read from the desktop entries
// (`applications/*.desktop`) of the XDG data directories and matched to windows by WM_CLASS. The
// entries are read once and again only when one of the directories changed.
class DesktopEntryNames {
public:
    // `directories` are applications directories, the most important first; `language` is a
    // locale name such as "de_DE.UTF-8" (empty for untranslated names).
    DesktopEntryNames(std::vector<std::filesystem::path> directories, std::string language);
    // The applications directories of $XDG_DATA_HOME and $XDG_DATA_DIRS and the language of
    // the messages locale.
    static DesktopEntryNames forEnvironment();

    // Re-reads the entries when a directory was added, removed or changed since the last read.
    void refresh();
    // The entry's Name (translated when the entry has it in the language) for a window of the
    // given WM_CLASS class and instance: the entry whose StartupWMClass is the class, else the
    // entry whose file name is the class or the instance (ignoring case), else one whose
    // reverse-DNS file name ends in the class.
    std::optional<std::string> nameFor(const std::string& wmClass,
                                       const std::string& wmInstance) const;

private:
    struct Entry {
        std::string id;
        std::string name;
        std::string startupWMClass;
    };

    void read();
    std::optional<Entry> parse(const std::filesystem::path& file, std::string id) const;
    std::vector<std::optional<std::filesystem::file_time_type>> stamps() const;

    std::vector<std::filesystem::path> directories_;
    std::vector<std::string> languageKeys_;
    std::vector<std::optional<std::filesystem::file_time_type>> readStamps_;
    bool everRead_ = false;
    std::map<std::string, Entry> byStartupClass_;
    std::map<std::string, Entry> byLowerID_;
    std::map<std::string, Entry> byLowerLastComponent_;
};

} // namespace plimsett
