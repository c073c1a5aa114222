#pragma once

#include "engine/Rect.h"
#include "engine/WindowHandle.h"
#include "engine/Workspace.h"

#include <memory>
#include <optional>
#include <string>

namespace plimsett {

// One window as a Linux backend reads it, before it is known which application it belongs to.
struct WindowRecord {
    std::shared_ptr<WindowHandle> handle;
    // What tells the window's process apart: its pid, else (on X11) its client.
    std::string process;
    // WM_CLASS, or the Wayland app id: the application's bundle identifier.
    std::string appClass;
    std::string instanceName;
    // The application's desktop entry id, where the desktop tells it.
    std::string desktopEntryID;
    // The desktop's own name of the application, where it has one.
    std::string appName;
    std::string title;
    Rect frame;
    bool minimized = false;
    bool fullScreen = false;
    bool maximizedHorizontally = false;
    bool maximizedVertically = false;
    // Nothing where the desktop does not say.
    std::optional<Workspace> workspace;
};

} // namespace plimsett
