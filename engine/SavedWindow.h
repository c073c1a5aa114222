#pragma once

#include "engine/Rect.h"
#include "engine/Workspace.h"

#include <cstdint>
#include <optional>
#include <string>

namespace plimsett {

// The persisted description of a window as it was at a snapshot.
struct SavedWindow {
    std::string bundleID;
    std::string appName;
    std::string title;
    std::int64_t index = 0;
    Rect frame;
    bool isMinimized = false;
    bool isFullScreen = false;
    // Written to the layout file only when set; a record without them was not maximised.
    bool isMaximizedHorizontally = false;
    bool isMaximizedVertically = false;
    // Written only when known; a record without it (older, or from a desktop without workspaces)
    // leaves the window on the workspace where it is.
    std::optional<Workspace> workspace{};

    bool isMaximized() const { return isMaximizedHorizontally || isMaximizedVertically; }

    bool operator==(const SavedWindow&) const = default;
};

} // namespace plimsett
