#include "engine/Preferences.h"

namespace plimsett {

Preferences::Preferences(std::shared_ptr<DefaultsDatabase> defaults)
    : defaults_(std::move(defaults)) {
    defaults_->registerDefaults({{autoRestoreKey, true},
                                 {restoreAfterWakeKey, true},
                                 {restoreOtherArrangementsKey, true},
                                 {placeOpeningWindowsKey, true}});
}

bool Preferences::autoRestoreOnDisplayChange() const {
    return defaults_->boolForKey(autoRestoreKey);
}

void Preferences::setAutoRestoreOnDisplayChange(bool on) {
    defaults_->setBool(on, autoRestoreKey);
}

bool Preferences::restoreAfterWake() const {
    return defaults_->boolForKey(restoreAfterWakeKey);
}

void Preferences::setRestoreAfterWake(bool on) {
    defaults_->setBool(on, restoreAfterWakeKey);
}

bool Preferences::placeOpeningWindows() const {
    return defaults_->boolForKey(placeOpeningWindowsKey);
}

void Preferences::setPlaceOpeningWindows(bool on) {
    defaults_->setBool(on, placeOpeningWindowsKey);
}

bool Preferences::restoreOtherArrangements() const {
    return defaults_->boolForKey(restoreOtherArrangementsKey);
}

void Preferences::setRestoreOtherArrangements(bool on) {
    defaults_->setBool(on, restoreOtherArrangementsKey);
}

std::set<std::string> Preferences::excludedBundleIDs() const {
    const auto stored = defaults_->stringArrayForKey(excludedBundleIDsKey);
    if (!stored) {
        return {};
    }
    return std::set<std::string>(stored->begin(), stored->end());
}

void Preferences::setExcludedBundleIDs(const std::set<std::string>& bundleIDs) {
    // A std::set iterates in ascending byte order, which is the stored order.
    defaults_->setStringArray(DefaultsDatabase::StringArray(bundleIDs.begin(), bundleIDs.end()),
                              excludedBundleIDsKey);
}

} // namespace plimsett
