#include "platform/x11/DesktopEntryNames.h"

#include "engine/Text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

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

// Name[de_DE], then Name[de], then Name: the keys a localised value is looked up under.
std::vector<std::string> keysForLanguage(std::string language) {
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

// Undoes the escapes of desktop entry string values.
std::string unescaped(const std::string& value) {
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result.push_back(value[i]);
            continue;
        }
        switch (value[++i]) {
        case 's':
            result.push_back(' ');
            break;
        case 'n':
            result.push_back('\n');
            break;
        case 't':
            result.push_back('\t');
            break;
        case 'r':
            result.push_back('\r');
            break;
        default:
            result.push_back(value[i]);
            break;
        }
    }
    return result;
}

} // namespace

DesktopEntryNames::DesktopEntryNames(std::vector<fs::path> directories, std::string language)
    : directories_(std::move(directories)), languageKeys_(keysForLanguage(std::move(language))) {}

DesktopEntryNames DesktopEntryNames::forEnvironment() {
    std::vector<fs::path> directories;
    std::string dataHome = environment("XDG_DATA_HOME");
    if (dataHome.empty() && !environment("HOME").empty()) {
        dataHome = environment("HOME") + "/.local/share";
    }
    if (!dataHome.empty()) {
        directories.push_back(fs::path(dataHome) / "applications");
    }
    std::string dataDirs = environment("XDG_DATA_DIRS");
    if (dataDirs.empty()) {
        dataDirs = "/usr/local/share:/usr/share";
    }
    std::stringstream stream(dataDirs);
    std::string dir;
    while (std::getline(stream, dir, ':')) {
        if (!dir.empty()) {
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
    return DesktopEntryNames(std::move(directories), std::move(language));
}

std::vector<std::optional<fs::file_time_type>> DesktopEntryNames::stamps() const {
    std::vector<std::optional<fs::file_time_type>> result;
    for (const fs::path& directory : directories_) {
        std::error_code error;
        const fs::file_time_type stamp = fs::last_write_time(directory, error);
        result.push_back(error ? std::nullopt : std::optional(stamp));
    }
    return result;
}

void DesktopEntryNames::refresh() {
    // A changed file inside a directory does not touch the directory's time; package managers
    // replace files (rename), which does.
    auto now = stamps();
    if (everRead_ && now == readStamps_) {
        return;
    }
    readStamps_ = std::move(now);
    everRead_ = true;
    read();
}

void DesktopEntryNames::read() {
    byStartupClass_.clear();
    byLowerID_.clear();
    byLowerLastComponent_.clear();
    std::set<std::string> seenIDs;
    for (const fs::path& directory : directories_) {
        std::error_code error;
        fs::recursive_directory_iterator it(directory,
                                            fs::directory_options::skip_permission_denied, error);
        for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            const fs::path& file = it->path();
            std::error_code fileError;
            if (file.extension() != ".desktop" || !it->is_regular_file(fileError)) {
                continue;
            }
            // The desktop file id: the path below the applications directory, '/' as '-'.
            std::string id = file.lexically_relative(directory).replace_extension().string();
            std::replace(id.begin(), id.end(), '/', '-');
            // An id found in a more important directory hides the same id further down.
            if (!seenIDs.insert(id).second) {
                continue;
            }
            const std::optional<Entry> entry = parse(file, id);
            if (!entry) {
                continue;
            }
            if (!entry->startupWMClass.empty()) {
                byStartupClass_.emplace(entry->startupWMClass, *entry);
            }
            const std::string lowerID = lowered(id);
            byLowerID_.emplace(lowerID, *entry);
            if (const auto dot = lowerID.rfind('.'); dot != std::string::npos) {
                byLowerLastComponent_.emplace(lowerID.substr(dot + 1), *entry);
            }
        }
    }
}

std::optional<DesktopEntryNames::Entry> DesktopEntryNames::parse(const fs::path& file,
                                                                 std::string id) const {
    std::ifstream stream(file);
    if (!stream) {
        return std::nullopt;
    }
    std::map<std::string, std::string> values;
    bool inMainGroup = false;
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            // Only the first group, [Desktop Entry], describes the application.
            if (inMainGroup) {
                break;
            }
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) {
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        while (!key.empty() && key.back() == ' ') {
            key.pop_back();
        }
        value.erase(0, value.find_first_not_of(' '));
        values.emplace(std::move(key), std::move(value));
    }
    if (values["Type"] != "Application" || values["Hidden"] == "true") {
        return std::nullopt;
    }
    for (const std::string& key : languageKeys_) {
        if (const auto found = values.find(key); found != values.end() && !found->second.empty()) {
            return Entry{std::move(id), repairedUtf8(unescaped(found->second)),
                         values["StartupWMClass"]};
        }
    }
    return std::nullopt;
}

std::optional<std::string> DesktopEntryNames::nameFor(const std::string& wmClass,
                                                      const std::string& wmInstance) const {
    if (const auto found = byStartupClass_.find(wmClass); found != byStartupClass_.end()) {
        return found->second.name;
    }
    for (const std::string& key : {lowered(wmClass), lowered(wmInstance)}) {
        if (key.empty()) {
            continue;
        }
        if (const auto found = byLowerID_.find(key); found != byLowerID_.end()) {
            return found->second.name;
        }
    }
    if (const auto found = byLowerLastComponent_.find(lowered(wmClass));
        !wmClass.empty() && found != byLowerLastComponent_.end()) {
        return found->second.name;
    }
    return std::nullopt;
}

} // namespace plimsett
