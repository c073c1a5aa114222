#include "engine/InMemoryDefaultsDatabase.h"

namespace plimsett {

void InMemoryDefaultsDatabase::registerDefaults(const std::map<std::string, Value>& defaults) {
    for (const auto& [key, value] : defaults) {
        registered_[key] = value;
    }
}

const DefaultsDatabase::Value* InMemoryDefaultsDatabase::lookup(const std::string& key) const {
    if (const auto it = values_.find(key); it != values_.end()) {
        return &it->second;
    }
    if (const auto it = registered_.find(key); it != registered_.end()) {
        return &it->second;
    }
    return nullptr;
}

bool InMemoryDefaultsDatabase::boolForKey(const std::string& key) const {
    const Value* value = lookup(key);
    return value != nullptr && std::holds_alternative<bool>(*value) && std::get<bool>(*value);
}

void InMemoryDefaultsDatabase::setBool(bool value, const std::string& key) {
    values_[key] = value;
}

std::optional<DefaultsDatabase::StringArray>
InMemoryDefaultsDatabase::stringArrayForKey(const std::string& key) const {
    const Value* value = lookup(key);
    if (value == nullptr || !std::holds_alternative<StringArray>(*value)) {
        return std::nullopt;
    }
    return std::get<StringArray>(*value);
}

void InMemoryDefaultsDatabase::setStringArray(const StringArray& value, const std::string& key) {
    values_[key] = value;
}

} // namespace plimsett
