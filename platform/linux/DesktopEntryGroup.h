#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace plimsett {

// The keys of the [Desktop Entry] group of a desktop entry file (`.desktop`). Only the file's
// first group counts, and only when it is [Desktop Entry]; comments may come before it, and later
// groups ([Desktop Action ...]) describe other things. Whitespace around keys and values is
// ignored and the escapes of string values (\s, \n, \t, \r, \\) are undone. A key given twice
// keeps its first value.
class DesktopEntryGroup {
public:
    static DesktopEntryGroup parse(std::string_view text);
    // Nothing when the file cannot be read.
    static std::optional<DesktopEntryGroup> read(const std::filesystem::path& file);

    // Empty when the group lacks the key.
    std::string value(const std::string& key) const;

private:
    std::map<std::string, std::string, std::less<>> values_;
};

} // namespace plimsett
