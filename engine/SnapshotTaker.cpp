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
    lastRead_ =
        WindowPairing::included(windowSystem_->windows(), preferences_->excludedBundleIDs());
    lastReadFor_ = set.id;
    std::vector<SavedWindow> windows;
    for (const LiveWindow& window : lastRead_) {
        windows.push_back(window.savedWindow());
    }
    return save(set, std::move(windows));
}

std::optional<SavedLayout> SnapshotTaker::takeReported(const DisplaySet& set,
                                                       const std::map<std::string, Rect>& frames,
                                                       const std::set<std::string>& gone) {
    if (set.displays.empty() || set.id != lastReadFor_) {
        return std::nullopt;
    }
    std::vector<SavedWindow> windows;
    for (const LiveWindow& window : lastRead_) {
        const std::string key = window.handle ? window.handle->key() : std::string();
        if (gone.count(key) != 0) {
            continue;
        }
        SavedWindow saved = window.savedWindow();
        if (const auto frame = frames.find(key);
            frame != frames.end() && frame->second.isFinite()) {
            saved.frame = frame->second;
        }
        windows.push_back(std::move(saved));
    }
    return save(set, std::move(windows));
}

std::optional<SavedLayout> SnapshotTaker::save(const DisplaySet& set,
                                               std::vector<SavedWindow> windows) {
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
