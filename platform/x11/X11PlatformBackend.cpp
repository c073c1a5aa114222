#include "platform/PlatformBackend.h"

#include "platform/x11/RandRDisplayProvider.h"
#include "platform/x11/X11AccessPermission.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11DisplayEventMonitor.h"
#include "platform/x11/X11WindowSystem.h"

#include <cstdlib>

namespace plimsett {

PlatformBackend makePlatformBackend() {
    PlatformBackend backend;
    const char* display = std::getenv("DISPLAY");
    std::shared_ptr<X11Connection> connection;
    if (display == nullptr || *display == '\0') {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        backend.problem = wayland != nullptr && *wayland != '\0'
                              ? "This is a Wayland session without X11 ($DISPLAY is not set); "
                                "windows can only be read and moved on X11."
                              : "No X server: $DISPLAY is not set.";
    } else {
        connection = X11Connection::open(display, backend.problem);
    }
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
    return backend;
}

} // namespace plimsett
