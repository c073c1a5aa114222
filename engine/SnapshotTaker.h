#pragma once

#include "engine/DisplaySet.h"
#include "engine/LayoutStore.h"
#include "engine/Preferences.h"
#include "engine/SavedLayout.h"
#include "engine/WindowSystem.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

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
    const std::optional<Date>& lastTakenAt() const { return lastTakenAt_; }

private:
    const std::shared_ptr<WindowSystem> windowSystem_;
    const std::shared_ptr<LayoutStore> store_;
    const std::shared_ptr<Preferences> preferences_;
    const Clock now_;
    const std::string builtInName_;
    std::optional<Date> lastTakenAt_;
};

} // namespace plimsett
