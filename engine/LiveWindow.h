#pragma once

#include "engine/Rect.h"
#include "engine/SavedWindow.h"
#include "engine/WindowHandle.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace plimsett {

// A window on screen now. Copies share the handle.
struct LiveWindow {
    std::shared_ptr<WindowHandle> handle;
    std::string bundleID;
    std::string appName;
    std::string title;
    std::int64_t index = 0;
    Rect frame;
    bool isMinimized = false;
    bool isFullScreen = false;
    bool isMaximizedHorizontally = false;
    bool isMaximizedVertically = false;
    // Nothing where the desktop has no workspaces, or would not say.
    std::optional<Workspace> workspace{};

    bool isMaximized() const { return isMaximizedHorizontally || isMaximizedVertically; }

    SavedWindow savedWindow() const {
        return SavedWindow{bundleID,
                           appName,
                           title,
                           index,
                           frame,
                           isMinimized,
                           isFullScreen,
                           isMaximizedHorizontally,
                           isMaximizedVertically,
                           workspace};
    }
};

} // namespace plimsett
