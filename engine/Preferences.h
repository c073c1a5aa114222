#pragma once

#include "engine/DefaultsDatabase.h"

#include <memory>
#include <set>
#include <string>

namespace plimsett {

// The typed front of the user's settings. It keeps no copy: every read and write goes to the
// defaults database.
class Preferences {
public:
    static constexpr const char* autoRestoreKey = "autoRestoreOnDisplayChange";
    static constexpr const char* restoreAfterWakeKey = "restoreAfterWake";
    static constexpr const char* excludedBundleIDsKey = "excludedBundleIDs";
    static constexpr const char* restoreOtherArrangementsKey = "restoreOtherArrangements";
    static constexpr const char* placeOpeningWindowsKey = "placeOpeningWindows";

    // Registers the switches as on, in the database's registration domain (never written).
    explicit Preferences(std::shared_ptr<DefaultsDatabase> defaults);

    bool autoRestoreOnDisplayChange() const;
    void setAutoRestoreOnDisplayChange(bool on);
    bool restoreAfterWake() const;
    void setRestoreAfterWake(bool on);
    // Whether the same displays in another arrangement (moved, or at another resolution) get the
    // windows of the newest layout saved for them while no layout is saved for the arrangement.
    bool restoreOtherArrangements() const;
    void setRestoreOtherArrangements(bool on);
    // Whether a window that opens goes where a window of the current layout, held by no open
    // window, was saved.
    bool placeOpeningWindows() const;
    void setPlaceOpeningWindows(bool on);
    // Empty when the key is missing or holds anything but an array of strings.
    std::set<std::string> excludedBundleIDs() const;
    // Stored as an ascending array, also when empty.
    void setExcludedBundleIDs(const std::set<std::string>& bundleIDs);

    const std::shared_ptr<DefaultsDatabase>& defaults() const { return defaults_; }

private:
    std::shared_ptr<DefaultsDatabase> defaults_;
};

} // namespace plimsett
