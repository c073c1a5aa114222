#include "platform/linux/DesktopEntryGroup.h"

#include <fstream>
#include <iterator>

namespace plimsett {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string unescaped(std::string_view value) {
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

DesktopEntryGroup DesktopEntryGroup::parse(std::string_view text) {
    DesktopEntryGroup group;
    bool inMainGroup = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            if (inMainGroup || line != "[Desktop Entry]") {
                break;
            }
            inMainGroup = true;
            continue;
        }
        const auto equals = line.find('=');
        if (!inMainGroup || equals == std::string_view::npos) {
            continue;
        }
        group.values_.emplace(trimmed(line.substr(0, equals)),
                              unescaped(trimmed(line.substr(equals + 1))));
    }
    return group;
}

std::optional<DesktopEntryGroup> DesktopEntryGroup::read(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) {
        return std::nullopt;
    }
    const std::string text{std::istreambuf_iterator<char>(stream),
                           std::istreambuf_iterator<char>()};
    if (stream.bad()) {
        return std::nullopt;
    }
    return parse(text);
}

std::string DesktopEntryGroup::value(const std::string& key) const {
    const auto found = values_.find(key);
    return found != values_.end() ? found->second : std::string();
}

} // namespace plimsett
