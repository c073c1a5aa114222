#pragma once

#include "engine/AccessPermission.h"
#include "engine/DisplayProvider.h"
#include "engine/EventMonitor.h"
#include "engine/LayoutController.h"
#include "engine/WindowSystem.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace plimsett {

// Everything the application needs of a desktop, built by the backend of the desktop it runs on.
struct PlatformBackend {
    std::shared_ptr<WindowSystem> windowSystem;
    std::shared_ptr<DisplayProvider> displayProvider;
    std::shared_ptr<AccessPermission> permission;
    // Builds the event monitor that feeds `controller` (held weakly).
    std::function<std::unique_ptr<EventMonitor>(std::weak_ptr<LayoutController> controller)>
        makeEventMonitor;
    // Set when the desktop could not be reached; the other members then still work and report
    // no windows, no displays and no access.
    std::string problem;
    // A problem that may come and go while the program runs (another program holding a name the
    // desktop's helper answers to); empty when there is none. Optional.
    std::function<std::string()> conflict;
    // True where the desktop shows the program's menu itself (GNOME's top bar, through
    // Plimsett's Shell extension): no tray icon is made there.
    bool desktopShowsMenu = false;
    // How long the controller's settle waits after the last display event when the displays read
    // then have a saved layout (LayoutController::setQuietDelay): set by desktops that report a
    // display change once it is done. Nothing: the full settle delay, always.
    std::optional<double> settleQuietDelay;
};

// The backend of the desktop that runs: on Linux the session decides (X11, GNOME or KDE Plasma on
// Wayland); on macOS, Accessibility and AppKit.
PlatformBackend makePlatformBackend();

} // namespace plimsett
