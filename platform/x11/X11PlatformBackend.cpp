#include "platform/x11/X11PlatformBackend.h"

#include "platform/x11/RandRDisplayProvider.h"
#include "platform/x11/X11AccessPermission.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11DisplayEventMonitor.h"
#include "platform/x11/X11WindowSystem.h"

#include <cstdlib>

namespace plimsett {
namespace {

PlatformBackend backendOver(std::shared_ptr<X11Connection> connection, std::string problem) {
    PlatformBackend backend;
    backend.problem = std::move(problem);
    backend.windowSystem = std::make_shared<X11WindowSystem>(connection);
    backend.displayProvider = std::make_shared<RandRDisplayProvider>(connection);
    backend.permission = std::make_shared<X11AccessPermission>(connection);
    std::optional<std::string> displayName;
    if (connection) {
        displayName = connection->displayName();
    }
    backend.makeEventMonitor = [displayName](std::weak_ptr<LayoutController> controller) {
        return std::unique_ptr<EventMonitor>(
            std::make_unique<X11DisplayEventMonitor>(std::move(controller), displayName));
    };
    // The desktop reports a display change once it has made it (RandR's notifications of one
    // change come within milliseconds, Mutter's and KWin's in one signal).
    backend.settleQuietDelay = LayoutController::quietDelay;
    return backend;
}

} // namespace

PlatformBackend makeX11PlatformBackend() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return backendOver(nullptr, "No X server: $DISPLAY is not set.");
    }
    std::string problem;
    std::shared_ptr<X11Connection> connection = X11Connection::open(display, problem);
    return backendOver(std::move(connection), std::move(problem));
}

} // namespace plimsett
