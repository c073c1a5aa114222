#include "engine/SnapshotTaker.h"

#include "engine/WindowPairing.h"

namespace plimsett {

SnapshotTaker::SnapshotTaker(std::shared_ptr<WindowSystem> windowSystem,
                             std::shared_ptr<LayoutStore> store,
                             std::shared_ptr<Preferences> preferences, Clock now,
                             std::string builtInName)
    : windowSystem_(std::move(windowSystem)), store_(std::move(store)),
      preferences_(std::move(preferences)), now_(std::move(now)),
      builtInName_(std::move(builtInName)) {}

std::optional<SavedLayout> SnapshotTaker::take(const DisplaySet& set) {
    if (!windowSystem_->isTrusted() || set.displays.empty()) {
        return std::nullopt;
    }
    std::vector<SavedWindow> windows;
    for (const LiveWindow& window :
         WindowPairing::included(windowSystem_->windows(), preferences_->excludedBundleIDs())) {
        windows.push_back(window.savedWindow());
    }
    // An empty snapshot never replaces a saved layout.
    if (windows.empty()) {
        return std::nullopt;
    }
    const Date taken = now_();
    SavedLayout layout{set.id, set.name(builtInName_), set.displays, taken, std::move(windows)};
    lastTakenAt_ = taken;
    return store_->save(std::move(layout), /*merge=*/true);
}

} // namespace plimsett
