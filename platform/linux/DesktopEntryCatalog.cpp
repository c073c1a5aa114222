#include "platform/linux/DesktopEntryCatalog.h"

#include "engine/Text.h"
#include "platform/linux/DesktopEntryGroup.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>
#include <sstream>
#include <utility>

namespace plimsett {
namespace {

namespace fs = std::filesystem;

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// Name[de_DE], then Name[de], then Name: the keys a translated name is looked up under.
std::vector<std::string> nameKeysForLanguage(std::string language) {
    std::vector<std::string> keys;
    language = language.substr(0, language.find_first_of(".@"));
    if (!language.empty() && language != "C" && language != "POSIX") {
        keys.push_back("Name[" + language + "]");
        if (const auto underscore = language.find('_'); underscore != std::string::npos) {
            keys.push_back("Name[" + language.substr(0, underscore) + "]");
        }
    }
    keys.push_back("Name");
    return keys;
}

// The desktop entry files below an applications directory with their IDs, in the order of the
// IDs so that which of two entries claiming the same window wins does not depend on the file
// system.
std::vector<std::pair<std::string, fs::path>> entryFiles(const fs::path& directory) {
    std::vector<std::pair<std::string, fs::path>> files;
    std::error_code error;
    fs::recursive_directory_iterator it(directory, fs::directory_options::skip_permission_denied,
                                        error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code fileError;
        if (it->path().extension() != ".desktop" || !it->is_regular_file(fileError)) {
            continue;
        }
        std::string id = it->path().lexically_relative(directory).replace_extension().string();
        std::replace(id.begin(), id.end(), '/', '-');
        files.emplace_back(std::move(id), it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

DesktopEntryCatalog::DesktopEntryCatalog(std::vector<fs::path> directories, std::string language)
    : directories_(std::move(directories)), nameKeys_(nameKeysForLanguage(std::move(language))) {}

DesktopEntryCatalog DesktopEntryCatalog::forEnvironment() {
    // Relative paths in these variables are invalid and ignored.
    std::vector<fs::path> directories;
    fs::path dataHome = environment("XDG_DATA_HOME");
    if (!dataHome.is_absolute() && !environment("HOME").empty()) {
        dataHome = fs::path(environment("HOME")) / ".local/share";
    }
    if (dataHome.is_absolute()) {
        directories.push_back(dataHome / "applications");
    }
    std::string dataDirs = environment("XDG_DATA_DIRS");
    if (dataDirs.empty()) {
        dataDirs = "/usr/local/share:/usr/share";
    }
    std::stringstream stream(dataDirs);
    std::string dir;
    while (std::getline(stream, dir, ':')) {
        if (fs::path(dir).is_absolute()) {
            directories.push_back(fs::path(dir) / "applications");
        }
    }
    std::string language = environment("LC_ALL");
    if (language.empty()) {
        language = environment("LC_MESSAGES");
    }
    if (language.empty()) {
        language = environment("LANG");
    }
    return DesktopEntryCatalog(std::move(directories), std::move(language));
}

std::vector<std::optional<fs::file_time_type>> DesktopEntryCatalog::stamps() const {
    std::vector<std::optional<fs::file_time_type>> result;
    for (const fs::path& directory : directories_) {
        std::error_code error;
        const fs::file_time_type stamp = fs::last_write_time(directory, error);
        result.push_back(error ? std::nullopt : std::optional(stamp));
    }
    return result;
}

bool DesktopEntryCatalog::refresh() {
    // A changed file inside a directory does not touch the directory's time; package managers
    // replace files (rename), which does.
    auto now = stamps();
    if (readStamps_ == now) {
        return false;
    }
    readStamps_ = std::move(now);
    read();
    return true;
}

void DesktopEntryCatalog::read() {
    entries_.clear();
    byStartupClass_.clear();
    byLowerID_.clear();
    byLowerLastComponent_.clear();
    std::set<std::string> seenIDs;
    for (const fs::path& directory : directories_) {
        for (auto& [id, file] : entryFiles(directory)) {
            // Whatever the entry holds, even Hidden=true, it hides the ID further down.
            if (!seenIDs.insert(id).second) {
                continue;
            }
            const std::optional<DesktopEntryGroup> group = DesktopEntryGroup::read(file);
            if (!group || group->value("Type") != "Application" ||
                group->value("Hidden") == "true") {
                continue;
            }
            std::string name;
            for (const std::string& key : nameKeys_) {
                if (name = group->value(key); !name.empty()) {
                    break;
                }
            }
            if (name.empty()) {
                continue;
            }
            const std::size_t index = entries_.size();
            const std::string lowerID = lowered(id);
            entries_.push_back(Entry{std::move(id), repairedUtf8(name), group->value("Icon"),
                                     group->value("StartupWMClass")});
            if (!entries_.back().startupWMClass.empty()) {
                byStartupClass_.emplace(entries_.back().startupWMClass, index);
            }
            byLowerID_.emplace(lowerID, index);
            if (const auto dot = lowerID.rfind('.'); dot != std::string::npos) {
                byLowerLastComponent_.emplace(lowerID.substr(dot + 1), index);
            }
        }
    }
}

std::optional<DesktopEntryCatalog::Entry>
DesktopEntryCatalog::find(const std::string& wmClass, const std::string& wmInstance) const {
    if (const auto found = byStartupClass_.find(wmClass); found != byStartupClass_.end()) {
        return entries_[found->second];
    }
    for (const std::string& key : {lowered(wmClass), lowered(wmInstance)}) {
        if (key.empty()) {
            continue;
        }
        if (const auto found = byLowerID_.find(key); found != byLowerID_.end()) {
            return entries_[found->second];
        }
    }
    if (const auto found = byLowerLastComponent_.find(lowered(wmClass));
        !wmClass.empty() && found != byLowerLastComponent_.end()) {
        return entries_[found->second];
    }
    return std::nullopt;
}

} // namespace plimsett
