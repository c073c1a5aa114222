#pragma once

#include "engine/DefaultsDatabase.h"

#include <QSettings>
#include <memory>

namespace plimsett {

// The user's settings in QSettings' native format. Registered defaults stay in memory only;
// explicit values are written to the settings file and override them.
class QSettingsDefaultsDatabase : public DefaultsDatabase {
public:
    // The standard settings of this program for the current user.
    QSettingsDefaultsDatabase();
    // Settings kept in a given file, for tests and tools.
    explicit QSettingsDefaultsDatabase(const QString& fileName);

    void registerDefaults(const std::map<std::string, Value>& defaults) override;
    bool boolForKey(const std::string& key) const override;
    void setBool(bool value, const std::string& key) override;
    std::optional<StringArray> stringArrayForKey(const std::string& key) const override;
    void setStringArray(const StringArray& value, const std::string& key) override;

    QSettings& settings() { return *settings_; }

private:
    QVariant lookup(const std::string& key) const;

    std::unique_ptr<QSettings> settings_;
    std::map<std::string, Value> registered_;
};

} // namespace plimsett
