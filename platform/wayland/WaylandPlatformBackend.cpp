#include "platform/wayland/WaylandPlatformBackend.h"

#include "platform/wayland/WaylandAccessPermission.h"
#include "platform/wayland/WaylandEventMonitor.h"
#include "platform/wayland/WaylandWindowSystem.h"

namespace plimsett {

PlatformBackend makeWaylandPlatformBackend(std::shared_ptr<HelperChannel> channel,
                                           WaylandDisplayProvider::Identity identity,
                                           std::string problem) {
    PlatformBackend backend;
    backend.problem = std::move(problem);
    backend.windowSystem = std::make_shared<WaylandWindowSystem>(channel);
    backend.displayProvider = std::make_shared<WaylandDisplayProvider>(channel, identity);
    backend.permission = std::make_shared<WaylandAccessPermission>(channel);
    backend.makeEventMonitor = [channel](std::weak_ptr<LayoutController> controller) {
        return std::unique_ptr<EventMonitor>(
            std::make_unique<WaylandEventMonitor>(std::move(controller), channel));
    };
    // The desktop reports a display change once it has made it (RandR's notifications of one
    // change come within milliseconds, Mutter's and KWin's in one signal).
    backend.settleQuietDelay = LayoutController::quietDelay;
    return backend;
}

} // namespace plimsett
