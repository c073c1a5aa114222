#pragma once

#include "engine/DefaultsDatabase.h"

namespace plimsett {

// A defaults database that lives in memory, for tests and tools. `persisted()` shows what a real
// database would have written to disk.
class InMemoryDefaultsDatabase : public DefaultsDatabase {
public:
    void registerDefaults(const std::map<std::string, Value>& defaults) override;
    bool boolForKey(const std::string& key) const override;
    void setBool(bool value, const std::string& key) override;
    std::optional<StringArray> stringArrayForKey(const std::string& key) const override;
    void setStringArray(const StringArray& value, const std::string& key) override;

    const std::map<std::string, Value>& persisted() const { return values_; }
    // Simulates a value of a type this program never writes, e.g. from an older version.
    void setRaw(const std::string& key, Value value) { values_[key] = std::move(value); }

private:
    const Value* lookup(const std::string& key) const;

    std::map<std::string, Value> registered_;
    std::map<std::string, Value> values_;
};

} // namespace plimsett
