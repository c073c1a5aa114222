#pragma once

#include "engine/DisplaySet.h"
#include "engine/LayoutStore.h"
#include "engine/Preferences.h"
#include "engine/SavedLayout.h"
#include "engine/WindowSystem.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plimsett {

// Saves the windows of the applications the user did not exclude as the layout of a display set,
// merged into what was saved for it before.
class SnapshotTaker {
public:
    using Clock = std::function<Date()>;

    SnapshotTaker(std::shared_ptr<WindowSystem> windowSystem, std::shared_ptr<LayoutStore> store,
                  std::shared_ptr<Preferences> preferences, Clock now, std::string builtInName);

    // The layout as saved; nothing, and nothing saved, when the windows cannot be read, `set`
    // has no displays or no window is left to save.
    std::optional<SavedLayout> take(const DisplaySet& set);
    // Saves the windows as the last take() read them, each on the frame reported for it since
    // (keyed by WindowHandle::key()) and without the ones reported gone, without reading them
    // again: after a display change they would be read where the desktop piled them. Nothing when
    // the last take() was for another set.
    std::optional<SavedLayout> takeReported(const DisplaySet& set,
                                            const std::map<std::string, Rect>& frames,
                                            const std::set<std::string>& gone);
    const std::optional<Date>& lastTakenAt() const { return lastTakenAt_; }

private:
    std::optional<SavedLayout> save(const DisplaySet& set, std::vector<SavedWindow> windows);

    const std::shared_ptr<WindowSystem> windowSystem_;
    const std::shared_ptr<LayoutStore> store_;
    const std::shared_ptr<Preferences> preferences_;
    const Clock now_;
    const std::string builtInName_;
    std::optional<Date> lastTakenAt_;
    // The windows the last take() read, excluded applications left out, and for which set.
    std::vector<LiveWindow> lastRead_;
    std::string lastReadFor_;
};

} // namespace plimsett
