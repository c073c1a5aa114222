#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace plimsett {

// The per-user settings store: a registration domain of defaults that are never persisted, and
// explicit values that override them and persist across launches.
class DefaultsDatabase {
public:
    using StringArray = std::vector<std::string>;
    using Value = std::variant<bool, StringArray>;

    virtual ~DefaultsDatabase() = default;

    virtual void registerDefaults(const std::map<std::string, Value>& defaults) = 0;
    // False when the key is missing or does not hold a Boolean.
    virtual bool boolForKey(const std::string& key) const = 0;
    virtual void setBool(bool value, const std::string& key) = 0;
    // Nothing when the key is missing or does not hold an array of strings.
    virtual std::optional<StringArray> stringArrayForKey(const std::string& key) const = 0;
    virtual void setStringArray(const StringArray& value, const std::string& key) = 0;
};

} // namespace plimsett
